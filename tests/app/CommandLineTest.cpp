#include "app/CommandLine.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(CommandLine, OptionsAreReadAsTheProgramNeedsThem) {
    const QString sCwd = QDir::currentPath();
    const struct {
        QStringList slArgs;
        bool bAllowUnknown;
        bool bVersion;
        bool bHelp;
        QString sDataFolder;
        bool bError;
        bool bConnect = false;
        bool bStartLogging = false;
        bool bHeadless = false;
    } aCases[] = {
        // No options: the user's own data folder, as always.
        {{"qxlogging"}, false, false, false, "", false},
        {{"qxlogging", "--version"}, false, true, false, "", false},
        {{"qxlogging", "-h"}, false, false, true, "", false},
        {{"qxlogging", "--config-dir", "/srv/station2/"}, false, false, false, "/srv/station2", false},
        {{"qxlogging", "--config-dir=/srv/a/../b"}, false, false, false, "/srv/b", false},
        // A relative folder is fixed against the folder the program was started in.
        {{"qxlogging", "--config-dir", "station3"}, false, false, false, sCwd + "/station3", false},
        {{"qxlogging", "--config-dir"}, false, false, false, "", true},
        {{"qxlogging", "--config-dir="}, false, false, false, "", true},
        {{"qxlogging", "--frobnicate"}, false, false, false, "", true},
        {{"qxlogging", "session.DB3"}, false, false, false, "", true},
        {{"qxlogging", "--connect"}, false, false, false, "", false, true, false},
        // Starting logging needs the connection first.
        {{"qxlogging", "--start-logging"}, false, false, false, "", false, true, true},
        // The station without windows, in the default data folder or in one of its own.
        {{"qxlogging", "--headless"}, false, false, false, "", false, false, false, true},
        {{"qxlogging", "--headless", "--config-dir", "/srv/station4"},
         false,
         false,
         false,
         "/srv/station4",
         false,
         false,
         false,
         true},
        {{"qxlogging", "--headless", "station.DB3"}, false, false, false, "", true, false, false, true},
        // Before the toolkit has taken its own options they are no error, and --version is still seen.
        {{"qxlogging", "-platform", "offscreen", "--version"}, true, true, false, "", false},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.slArgs.join(' ').toStdString());
        const TCommandLine r = ParseCommandLine(c.slArgs, c.bAllowUnknown);
        EXPECT_EQ(r.bShowVersion, c.bVersion);
        EXPECT_EQ(r.bShowHelp, c.bHelp);
        EXPECT_EQ(r.sDataFolder, c.sDataFolder);
        EXPECT_EQ(!r.sError.isEmpty(), c.bError) << r.sError.toStdString();
        EXPECT_EQ(r.bConnect, c.bConnect);
        EXPECT_EQ(r.bStartLogging, c.bStartLogging);
        EXPECT_EQ(r.bHeadless, c.bHeadless);
        EXPECT_TRUE(r.sHelpText.contains("--config-dir <DIR>"));
        EXPECT_TRUE(r.sHelpText.contains("--headless"));
    }
}
