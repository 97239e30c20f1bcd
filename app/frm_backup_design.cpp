#include "app/frm_backup_design.h"

namespace bt {

namespace {

WindowDesign MakeDesign() {
  using K = ControlKind;
  const FontDesign title{"MS Sans Serif", 18, 400};
  const FontDesign bold{"MS Sans Serif", 8.25, 700};

  WindowDesign design;
  design.name = "frmBackup";
  design.title = "Aplicativo de Backup do Tarvel 2.0";
  design.clientWidth = 11910;
  design.clientHeight = 7920;
  // name, kind, parent, text, left, top, width, height, tab, font, alignment
  design.controls = {
      {"lblTitulo", K::Label, "", "Aplicativo de Backup do Tarvel 2.0",
       200, 200, 11550, 500, 10, title, Alignment::Center},
      {"lblInfo", K::Label, "",
       "Este aplicativo permite fazer ou restaurar o backup dos arquivos de dados do "
       "Tarvel 2.0. Siga as orientações de acordo com a operação desejada.",
       200, 800, 11550, 200, 7, std::nullopt, Alignment::Center},
      {"lblPasso1", K::Label, "",
       "1. Selecione o local do backup dos arquivos de dados. Para backups na unidade de "
       "disquete, utilize a opção disponível no menu Arquivo do Tarvel 2.0.",
       200, 1200, 11550, 220, 11, std::nullopt, Alignment::Left},
      {"lblPasso2", K::Label, "",
       "2. Clique na operação desejada: Fazer backup ou Restaurar backup.",
       200, 1500, 11550, 220, 12, std::nullopt, Alignment::Left},
      {"lblPasso3", K::Label, "", "3. Aguarde a operação ser concluída.",
       200, 1800, 11550, 220, 13, std::nullopt, Alignment::Left},
      {"fraLocalTarvel", K::Frame, "", "Local de instalação do Tarvel 2.0",
       200, 2200, 11550, 1000, 8, std::nullopt, Alignment::Left},
      {"lblLocalTarvel", K::Label, "fraLocalTarvel", "<Instalação do Tarvel não encontrada.>",
       200, 300, 11200, 600, 9, bold, Alignment::Left},
      {"fraLocal", K::Frame, "", "Local do Backup",
       200, 3300, 8000, 4380, 0, std::nullopt, Alignment::Left},
      {"drvLocal", K::DriveList, "fraLocal", "",
       200, 300, 7600, 315, 1, std::nullopt, Alignment::Left},
      {"dirLocal", K::FolderList, "fraLocal", "",
       200, 650, 7600, 2790, 2, std::nullopt, Alignment::Left},
      {"lblLocal", K::Label, "fraLocal", "Local do selecionado:",
       200, 3500, 1800, 220, 3, std::nullopt, Alignment::Left},
      {"lblLocalExtenso", K::Label, "fraLocal", "<Selecione o local do backup nas opções acima>",
       200, 3750, 7600, 495, 4, bold, Alignment::Left},
      {"cmdBackup", K::Button, "", "Fazer backup",
       8730, 3400, 3000, 500, 5, std::nullopt, Alignment::Left},
      {"cmdRestore", K::Button, "", "Restaurar backup",
       8730, 4100, 3000, 500, 6, std::nullopt, Alignment::Left},
      {"chkIncluirTudo", K::CheckBox, "", "Incluir fotos e opções no backup/restauração",
       8730, 5000, 3000, 450, 14, std::nullopt, Alignment::Left},
      {"cmdSair", K::Button, "", "Sai&r",
       8730, 7180, 3000, 500, 15, std::nullopt, Alignment::Left},
  };
  return design;
}

}  // namespace

const WindowDesign& FrmBackupDesign() {
  static const WindowDesign design = MakeDesign();
  return design;
}

}  // namespace bt
