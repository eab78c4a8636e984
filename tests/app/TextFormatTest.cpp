#include "core/TextFormat.h"

#include <gtest/gtest.h>

TEST(TextFormat, FillsPlaceholdersInOrderAndNeverShowsThemRaw) {
    struct Case {
        QString sTemplate;
        QStringList slArgs;
        QString sExpected;
    };
    const Case cases[] = {
        {"Could not open COM%d.", {"7"}, "Could not open COM7."},
        {"A %s was detected on COM%d.", {"QX 25", "3"}, "A QX 25 was detected on COM3."},
        {"Could not connect to %s.", {}, "Could not connect to ."},
        {"100% sure %x", {"a"}, "100% sure %x"},
        {"ends with %", {"a"}, "ends with %"},
        {"%s", {"%d"}, "%d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatText(c.sTemplate, c.slArgs), c.sExpected) << c.sTemplate.toStdString();
}
