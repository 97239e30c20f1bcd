// The command line as a user or a scheduler writes it: what is a backup,
// what opens the window, and what is not understood (status 2, usage).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_line_backup.h"
#include "tests/unit/app/printed_console.h"

namespace bt {
namespace {

using Kind = CommandLine::Kind;

TEST(CommandLineWords, NoArgumentOpensTheWindow) {
  EXPECT_EQ(ParseCommandLine({}).kind, Kind::kWindow);
}

TEST(CommandLineWords, ABackupWithEveryOptionInEitherForm) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--backup", "D:\\Copias", "--fotos", "--manter", "7"},
        std::vector<std::string>{"--manter=7", "--fotos", "--backup=D:\\Copias"}}) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.kind, Kind::kBackup);
    EXPECT_EQ(line.location, "D:\\Copias");
    EXPECT_TRUE(line.includeAll);
    EXPECT_EQ(line.keep, 7);
  }
}

TEST(CommandLineWords, AlocationWithBlanksIsOneArgumentAndTheDefaultsKeepEverything) {
  const CommandLine line = ParseCommandLine({"--backup", "/media/loja/PEN DRIVE/Cópias"});
  EXPECT_EQ(line.kind, Kind::kBackup);
  EXPECT_EQ(line.location, "/media/loja/PEN DRIVE/Cópias");
  EXPECT_FALSE(line.includeAll);
  EXPECT_EQ(line.keep, 0);
}

TEST(CommandLineWords, HelpWinsWhereverItStands) {
  EXPECT_EQ(ParseCommandLine({"--ajuda"}).kind, Kind::kHelp);
  EXPECT_EQ(ParseCommandLine({"--backup", "D:\\", "--ajuda"}).kind, Kind::kHelp);
  EXPECT_EQ(ParseCommandLine({"--qualquer", "--help"}).kind, Kind::kHelp);
}

TEST(CommandLineWords, WhatIsNotUnderstoodSaysWhat) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--backup"}, "falta o local depois de --backup"},
      {{"--backup", "--fotos"}, "falta o local depois de --backup"},
      {{"--backup="}, "falta o local depois de --backup"},
      {{"--fotos"}, "falta a opção --backup com o local do backup"},
      {{"--manter", "3"}, "falta a opção --backup com o local do backup"},
      {{"--backup", "D:\\A", "--backup", "E:\\B"}, "a opção --backup foi dada mais de uma vez"},
      {{"--backup", "D:\\A", "--fotos", "--fotos"}, "a opção --fotos foi dada mais de uma vez"},
      {{"--backup", "D:\\A", "--fotos=sim"}, "a opção --fotos não leva valor"},
      {{"--backup", "D:\\A", "--manter"}, "falta o número depois de --manter"},
      {{"--backup", "D:\\A", "--manter", "0"}, "--manter pede um número de 1 a 9999, não \"0\""},
      {{"--backup", "D:\\A", "--manter", "-1"}, "--manter pede um número de 1 a 9999, não \"-1\""},
      {{"--backup", "D:\\A", "--manter=dez"}, "--manter pede um número de 1 a 9999, não \"dez\""},
      {{"--backup", "D:\\A", "--manter", "10000"}, "--manter pede um número de 1 a 9999, não \"10000\""},
      {{"--backup", "D:\\A", "--manter", "2", "--manter", "3"}, "a opção --manter foi dada mais de uma vez"},
      {{"--backup", "D:\\A", "--photos"}, "opção desconhecida: \"--photos\""},
      {{"D:\\Copias"}, "opção desconhecida: \"D:\\Copias\""},
  };
  for (const auto& [arguments, problem] : cases) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.kind, Kind::kInvalid) << arguments.front();
    EXPECT_EQ(line.problem, problem) << arguments.front();
  }
}

TEST(CommandLineAnswers, AskedForHelpTheUsageGoesToTheOutputWithStatus0) {
  PrintedConsole console;
  EXPECT_EQ(AnswerWithoutBackup(ParseCommandLine({"--ajuda"}), console), 0);
  EXPECT_EQ(console.out, UsageText());
  EXPECT_EQ(console.error, "");
  EXPECT_NE(UsageText().find("BackupTarvel --backup LOCAL [--fotos] [--manter N]"), std::string::npos);
}

TEST(CommandLineAnswers, NotUnderstoodTheProblemAndTheUsageGoToTheErrorWithStatus2) {
  PrintedConsole console;
  EXPECT_EQ(AnswerWithoutBackup(ParseCommandLine({"--bakcup", "D:\\"}), console), 2);
  EXPECT_EQ(console.out, "");
  EXPECT_EQ(console.error, "BackupTarvel: opção desconhecida: \"--bakcup\"\n\n" + UsageText());
}

TEST(CommandLineAnswers, ABackupIsNotAnsweredHere) {
  PrintedConsole console;
  EXPECT_EQ(AnswerWithoutBackup(ParseCommandLine({"--backup", "D:\\"}), console), std::nullopt);
  EXPECT_EQ(console.out + console.error, "");
}

}  // namespace
}  // namespace bt
