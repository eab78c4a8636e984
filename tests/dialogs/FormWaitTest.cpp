#include "dialogs/FormWait.h"
#include "core/Drawing.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The wait window over its main window, as the program creates it.
class FormWaitTest : public ::testing::Test {
protected:
    FormWaitTest() : frmWait(&Owner) {
        Owner.setGeometry(120, 80, 801, 600);
        frmWait.SetLanguage(&iLNG);
    }
    ~FormWaitTest() override { frmWait.hide(); }

    int iLNG = 0;
    QWidget Owner;
    TfrmWait frmWait;
};

TEST_F(FormWaitTest, FadesInWhileTheCallerGoesOn) {
    frmWait.SetWaitTextEntry(274);
    frmWait.SetAlphaBlendValue(0);
    frmWait.ShowWait();
    // Showing returned at once: the window is up, not modal, and still transparent.
    ASSERT_TRUE(frmWait.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(frmWait.AlphaBlendValue(), 0);
    EXPECT_TRUE(frmWait.IsFading());
    EXPECT_TRUE(frmWait.IsSpinning());
    EXPECT_EQ(frmWait.WaitText(), "Creating PDF-file, please wait...");
    EXPECT_EQ(frmWait.size(), QSize(TfrmWait::kWidth, TfrmWait::kHeight));
    EXPECT_EQ(frmWait.pos(), CentreOver(Owner.frameGeometry(), frmWait.size()));

    // With the event loop running the opacity only rises, in steps, until it is opaque.
    std::vector<int> aSeen;
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            if (aSeen.empty() || aSeen.back() != frmWait.AlphaBlendValue())
                aSeen.push_back(frmWait.AlphaBlendValue());
            return frmWait.AlphaBlendValue() == 255;
        },
        30'000));
    ASSERT_GE(aSeen.size(), 3u);
    for (size_t i = 1; i < aSeen.size(); ++i)
        EXPECT_GT(aSeen[i], aSeen[i - 1]);
    EXPECT_DOUBLE_EQ(frmWait.windowOpacity(), 1.0);

    // The text may change while the window shows.
    iLNG = 1;
    frmWait.SetWaitTextEntry(278);
    EXPECT_EQ(frmWait.WaitText(), "Loader data, vent venligst...");
}

TEST_F(FormWaitTest, HidingStopsTheTimersAndTheNextShowingIsOpaque) {
    frmWait.SetAlphaBlendValue(0);
    frmWait.ShowWait();
    frmWait.hide();
    EXPECT_FALSE(frmWait.IsFading());
    EXPECT_FALSE(frmWait.IsSpinning());
    EXPECT_EQ(frmWait.AlphaBlendValue(), 255);

    frmWait.ShowWait();
    EXPECT_EQ(frmWait.AlphaBlendValue(), 255);
    EXPECT_DOUBLE_EQ(frmWait.windowOpacity(), 1.0);
    frmWait.close();
    EXPECT_FALSE(frmWait.IsFading());

    // A caller that wants the fade again sets the opacity before showing.
    frmWait.SetAlphaBlendValue(0);
    frmWait.ShowWait();
    EXPECT_EQ(frmWait.AlphaBlendValue(), 0);
    EXPECT_DOUBLE_EQ(frmWait.windowOpacity(), 0.0);
}

TEST_F(FormWaitTest, OpacityNearTheTopJumpsToOpaque) {
    frmWait.SetAlphaBlendValue(249);
    frmWait.ShowWait();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmWait.AlphaBlendValue() != 249; }, 10'000));
    EXPECT_EQ(frmWait.AlphaBlendValue(), 255);
    frmWait.SetAlphaBlendValue(250);
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmWait.AlphaBlendValue() != 250; }, 10'000));
    EXPECT_EQ(frmWait.AlphaBlendValue(), 255);
}

TEST_F(FormWaitTest, PanelKeepsItsOwnColour) {
    frmWait.SetWaitText(QString());
    frmWait.ShowWait();
    const QImage img = frmWait.grab().toImage();
    // A point of the panel right of the spinner and away from the bevel.
    EXPECT_EQ(img.pixelColor(TfrmWait::kWidth - 10, TfrmWait::kHeight / 2), QColor(0xF0, 0xF0, 0xF0));
}

} // namespace
