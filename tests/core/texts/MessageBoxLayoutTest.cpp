#include "core/MessageBoxLayout.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct TLayoutCase {
    const char* sName;
    int iKind;
    int iButtons;
    int iLNG;
    const char* sCaption;
    QStringList slButtons;
    std::vector<int> aResults;
    int iDefault;
    int iEscape;
};

} // namespace

TEST(MessageBoxLayout, CaptionButtonsAndKeys) {
    const TLayoutCase aCases[] = {
        {"confirm yes/no", 3, 3, 0, "Confirm", {"Yes", "No"}, {6, 7}, 6, 7},
        {"confirm yes/no in Danish", 3, 3, 1, "Bekræft", {"Ja", "Nej"}, {6, 7}, 6, 7},
        {"information OK", 2, 4, 0, "Information", {"OK"}, {1}, 1, 1},
        {"warning, all four", 0, 15, 0, "Warning", {"Yes", "No", "OK", "Cancel"}, {6, 7, 1, 2}, 1, 2},
        {"error, all four in Danish", 1, 15, 1, "Fejl", {"Ja", "Nej", "OK", "Annuller"}, {6, 7, 1, 2}, 1, 2},
        {"OK and Cancel", 0, 12, 1, "Advarsel", {"OK", "Annuller"}, {1, 2}, 1, 2},
        {"yes/no/cancel", 3, 11, 0, "Confirm", {"Yes", "No", "Cancel"}, {6, 7, 2}, 6, 2},
        {"no and cancel: Enter has no default", 3, 10, 0, "Confirm", {"No", "Cancel"}, {7, 2}, 0, 2},
        {"yes alone answers Esc too", 3, 1, 0, "Confirm", {"Yes"}, {6}, 6, 6},
        {"unknown kind has no caption", 9, 4, 0, "", {"OK"}, {1}, 1, 1},
        {"negative kind has no caption", -1, 4, 1, "", {"OK"}, {1}, 1, 1},
        {"no button gets OK", 2, 0, 0, "Information", {"OK"}, {1}, 1, 1},
        {"unknown bits only get OK", 2, 16, 0, "Information", {"OK"}, {1}, 1, 1},
        {"unknown bits beside known ones are ignored", 2, 16 | 2, 0, "Information", {"No"}, {7}, 0, 7},
    };
    for (const TLayoutCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TMessageBoxLayout r = MessageBoxLayout(c.iKind, c.iButtons, c.iLNG);
        EXPECT_EQ(r.sCaption, QString::fromUtf8(c.sCaption));
        QStringList slTexts;
        std::vector<int> aResults;
        for (const TMessageBoxButton& b : r.aButtons) {
            slTexts << b.sText;
            aResults.push_back(b.iResult);
        }
        EXPECT_EQ(slTexts, c.slButtons);
        EXPECT_EQ(aResults, c.aResults);
        EXPECT_EQ(r.iDefaultResult, c.iDefault);
        EXPECT_EQ(r.iEscapeResult, c.iEscape);
    }
}
