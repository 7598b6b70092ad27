// The mode chosen from the first parameter, and the log path beside a program.
#include <gtest/gtest.h>

#include <string>

#include "../../../installer/modes.h"
#include "fake_platform.h"

struct ModeCase {
  std::string commandLine;
  InstallMode mode;
};

class ModeChoice : public testing::TestWithParam<ModeCase> {};

TEST_P(ModeChoice, LooksOnlyAtTheFirstParameterExactly) {
  EXPECT_EQ(ChooseInstallMode(GetParam().commandLine.c_str()), GetParam().mode) << GetParam().commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModeChoice,
    testing::Values(ModeCase{"INSTALL.EXE /INSTALL", InstallProcedureMode},
                    ModeCase{"INSTALL.EXE /INSTALL /REMOVE x", InstallProcedureMode},
                    ModeCase{"INSTALL.EXE \"/INSTALL\"", InstallProcedureMode},
                    ModeCase{"INSTALL.EXE '/INSTALL'", InstallProcedureMode},
                    ModeCase{"\"C:\\Program Files\\Ranoslov\\REMOVE.EXE\" \t/INSTALL", InstallProcedureMode},
                    ModeCase{"\"C:\\TEMP\\~REMOVE.TMP\" /REMOVE", UninstallWorkerMode},
                    ModeCase{"~REMOVE.TMP /REMOVE /INSTALL", UninstallWorkerMode},
                    // Everything else is the launcher.
                    ModeCase{"REMOVE.EXE", UninstallLauncherMode}, ModeCase{"", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE /install", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE /Remove", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE /INSTALLX", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE /INSTAL", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE INSTALL", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE \"/INSTALL \"", UninstallLauncherMode},
                    ModeCase{"INSTALL.EXE x /INSTALL", UninstallLauncherMode},
                    // An unquoted path with a blank shifts the parameters.
                    ModeCase{"C:\\TEMP DIR\\~REMOVE.TMP /REMOVE", UninstallLauncherMode}));

struct LogPathCase {
  std::string program;
  std::string log;
};

class LogPathBesideTheProgram : public testing::TestWithParam<LogPathCase> {};

TEST_P(LogPathBesideTheProgram, ReplacesTheExtensionOfTheFileName) {
  ShortText log;
  LogPathOf(GetParam().program.c_str(), log);
  EXPECT_EQ(std::string(log.bytes), GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogPathBesideTheProgram,
    testing::Values(LogPathCase{"C:\\Program Files\\Ranoslov\\REMOVE.EXE", "C:\\Program Files\\Ranoslov\\REMOVE.DAT"},
                    LogPathCase{"C:\\TEMP\\~REMOVE.TMP", "C:\\TEMP\\~REMOVE.DAT"},
                    LogPathCase{"C:\\a.b\\REMOVE", "C:\\a.b\\REMOVE.DAT"},
                    LogPathCase{"C:\\x\\a.b.c", "C:\\x\\a.b.DAT"}, LogPathCase{"REMOVE.EXE", "REMOVE.DAT"},
                    // Cut at 255 characters, like every path of the installer.
                    LogPathCase{"C:\\" + std::string(260, 'a') + ".EXE", "C:\\" + std::string(252, 'a')}));

class Modes : public InstallerTest {};

TEST_F(Modes, NoParameterAsksWhetherToRemoveTheProduct) {
  Fake.commandLine = "D:\\Distribuce\\INSTALL.EXE";
  Fake.answers = {7};  // No
  RunInstaller();
  EXPECT_EQ(
      Fake.boxes,
      (std::vector<ShownBox>{{"Odinstalace programu Ranoslov", "Opravdu chcete odstranit program Ranoslov?", 0x24}}));
}

TEST_F(Modes, RemoveRunsTheWorker) {
  Fake.commandLine = "\"C:\\TEMP\\~REMOVE.TMP\" /REMOVE";
  Fake.programPath = "C:\\TEMP\\~REMOVE.TMP";
  Fake.files["C:\\TEMP\\~REMOVE.DAT"] = "";
  RunInstaller();
  EXPECT_EQ(Fake.pauses, std::vector<uint32_t>{1000});
  EXPECT_EQ(Fake.boxes,
            (std::vector<ShownBox>{{"Odinstalace programu Ranoslov", "Odinstalace úspěšně dokončena.", 0}}));
}

TEST_F(Modes, InstallRunsTheInstallProcedure) {
  Fake.commandLine = "INSTALL.EXE /INSTALL";
  RunInstaller();
  ASSERT_FALSE(Fake.boxes.empty());
  EXPECT_EQ(Fake.boxes.back(), (ShownBox{"Instalace programu Ranoslov", "Instalace úspěšně dokončena.", 0}));
}
