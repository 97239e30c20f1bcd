// The design table of the main window.
#include "app/frm_backup_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace bt {
namespace {

const ControlDesign& Row(const std::string& name) {
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    if (row.name == name) return row;
  }
  throw std::out_of_range(name);
}

TEST(FrmBackupDesign, IsTheTitledWindowOfTheGivenClientSize) {
  const WindowDesign& design = FrmBackupDesign();
  EXPECT_EQ(design.name, "frmBackup");
  EXPECT_EQ(design.title, "Aplicativo de Backup do Tarvel 2.0");
  EXPECT_EQ(design.clientWidth, 11910);
  EXPECT_EQ(design.clientHeight, 7920);
}

TEST(FrmBackupDesign, HasSixteenControlsWithEveryTabIndexOnce) {
  const std::vector<ControlDesign>& controls = FrmBackupDesign().controls;
  ASSERT_EQ(controls.size(), 16u);
  std::set<int> tabs;
  std::set<std::string> names;
  for (const ControlDesign& row : controls) {
    tabs.insert(row.tabIndex);
    names.insert(row.name);
  }
  EXPECT_EQ(names.size(), 16u);
  ASSERT_EQ(tabs.size(), 16u);
  EXPECT_EQ(*tabs.begin(), 0);
  EXPECT_EQ(*tabs.rbegin(), 15);
}

TEST(FrmBackupDesign, TheFocusMovesThroughListsButtonsAndCheckBoxInThisOrder) {
  std::vector<ControlDesign> controls = FrmBackupDesign().controls;
  std::sort(controls.begin(), controls.end(),
            [](const ControlDesign& a, const ControlDesign& b) { return a.tabIndex < b.tabIndex; });
  std::vector<std::string> focusable;
  for (const ControlDesign& row : controls) {
    if (row.kind != ControlKind::Label && row.kind != ControlKind::Frame) {
      focusable.push_back(row.name);
    }
  }
  EXPECT_EQ(focusable, (std::vector<std::string>{"drvLocal", "dirLocal", "cmdBackup",
                                                 "cmdRestore", "chkIncluirTudo", "cmdSair"}));
}

TEST(FrmBackupDesign, TextsAreExact) {
  const std::map<std::string, std::string> texts = {
      {"lblTitulo", "Aplicativo de Backup do Tarvel 2.0"},
      {"lblInfo",
       "Este aplicativo permite fazer ou restaurar o backup dos arquivos de dados do Tarvel "
       "2.0. Siga as orientações de acordo com a operação desejada."},
      {"lblPasso1",
       "1. Selecione o local do backup dos arquivos de dados. Para backups na unidade de "
       "disquete, utilize a opção disponível no menu Arquivo do Tarvel 2.0."},
      {"lblPasso2", "2. Clique na operação desejada: Fazer backup ou Restaurar backup."},
      {"lblPasso3", "3. Aguarde a operação ser concluída."},
      {"fraLocalTarvel", "Local de instalação do Tarvel 2.0"},
      {"lblLocalTarvel", "<Instalação do Tarvel não encontrada.>"},
      {"fraLocal", "Local do Backup"},
      {"drvLocal", ""},
      {"dirLocal", ""},
      {"lblLocal", "Local do selecionado:"},
      {"lblLocalExtenso", "<Selecione o local do backup nas opções acima>"},
      {"cmdBackup", "Fazer backup"},
      {"cmdRestore", "Restaurar backup"},
      {"chkIncluirTudo", "Incluir fotos e opções no backup/restauração"},
      {"cmdSair", "Sai&r"},
  };
  for (const auto& [name, text] : texts) EXPECT_EQ(Row(name).text, text) << name;
}

TEST(FrmBackupDesign, FramesHoldTheInstallationLabelAndTheLocationChooser) {
  std::map<std::string, std::set<std::string>> children;
  for (const ControlDesign& row : FrmBackupDesign().controls) children[row.parent].insert(row.name);
  EXPECT_EQ(children["fraLocalTarvel"], (std::set<std::string>{"lblLocalTarvel"}));
  EXPECT_EQ(children["fraLocal"],
            (std::set<std::string>{"drvLocal", "dirLocal", "lblLocal", "lblLocalExtenso"}));
  EXPECT_EQ(children[""].size(), 11u);
  EXPECT_EQ(children.size(), 3u);
  EXPECT_EQ(Row("fraLocal").kind, ControlKind::Frame);
  EXPECT_EQ(Row("fraLocalTarvel").kind, ControlKind::Frame);
}

TEST(FrmBackupDesign, ThreeLabelsHaveTheirOwnFontAndTwoAreCentred) {
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    const bool ownFont = row.name == "lblTitulo" || row.name == "lblLocalTarvel" ||
                         row.name == "lblLocalExtenso";
    EXPECT_EQ(row.font.has_value(), ownFont) << row.name;
    const bool centred = row.name == "lblTitulo" || row.name == "lblInfo";
    EXPECT_EQ(row.alignment == Alignment::Center, centred) << row.name;
  }
  const FontDesign& title = *Row("lblTitulo").font;
  EXPECT_EQ(title.face, "MS Sans Serif");
  EXPECT_EQ(title.points, 18);
  EXPECT_EQ(title.weight, 400);
  for (const char* name : {"lblLocalTarvel", "lblLocalExtenso"}) {
    const FontDesign& bold = *Row(name).font;
    EXPECT_EQ(bold.face, "MS Sans Serif") << name;
    EXPECT_EQ(bold.points, 8.25) << name;
    EXPECT_EQ(bold.weight, 700) << name;
  }
}

}  // namespace
}  // namespace bt
