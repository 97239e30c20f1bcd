#include <vector>

#include "backup/backup_set.h"
#include "backup/operations.h"
#include "platform/text.h"

namespace bt {
namespace {

// The operation's lock is let go first: a box left open holds nothing up.
void Inform(OperationContext& context, std::unique_ptr<OperationLock>& lock, const std::string& title,
            const std::string& text) {
  lock.reset();
  context.boxes.ShowMessage(text, title, MessageIcon::Information, MessageButtons::Ok);
}

bool HasFile(FileSystem& files, const std::string& path) {
  try {
    return (files.GetAttributes(path) & kAttrDirectory) == 0;
  } catch (const AppError&) {
    return false;
  }
}

bool HasFolder(FileSystem& files, const std::string& path) {
  try {
    return (files.GetAttributes(path) & kAttrDirectory) != 0;
  } catch (const AppError&) {
    return false;
  }
}

// With everything included, a set that lacks the options file or the photo
// folder would fail halfway, after the database had been replaced, leaving
// the user unsure what was restored. Returns what the set lacks, if anything.
std::vector<std::string> MissingFromSet(FileSystem& files, const std::string& backupFolder) {
  std::vector<std::string> missing;
  if (!HasFile(files, backupFolder + "\\" + kOptionsFile)) {
    missing.push_back("o arquivo de opções \"tarvel.ini\"");
  }
  if (!HasFolder(files, backupFolder + "\\" + kPhotosFolder)) {
    missing.push_back("a pasta de fotos \"Fotos\"");
  }
  return missing;
}

std::string IncompleteSetText(const std::vector<std::string>& missing) {
  std::string what = missing.front();
  if (missing.size() > 1) what += " e " + missing.back();
  return "Esta cópia de segurança não contém " + what +
         ", por isso nenhum arquivo foi substituído.\n"
         "Para restaurar apenas o banco de dados, desmarque a opção \"Incluir fotos e opções no "
         "backup/restauração\" e tente novamente, ou selecione outra cópia de segurança.";
}

// The installation itself, however it was reached: its text in another
// letter case, or another way to the same folder (a link, a second drive
// letter), which would copy every file onto itself.
bool IsInstallation(FileSystem& files, const std::string& backupDatabase,
                    const std::string& installedDatabase, const std::string& backupFolder,
                    const std::string& installation) {
  return LowerCase(backupDatabase) == LowerCase(installedDatabase) ||
         (files.LiesWithin(backupFolder, installation) && files.LiesWithin(installation, backupFolder));
}

// With the photos, a set inside the installation's photo tree (or holding
// it) would have the restore write over the very photos it is reading.
bool PhotoTreesOverlap(FileSystem& files, const std::string& backupFolder,
                       const std::string& installation) {
  const std::string installedPhotos = installation + "\\" + kPhotosFolder;
  return files.LiesWithin(backupFolder, installedPhotos) ||
         files.LiesWithin(installedPhotos, backupFolder + "\\" + kPhotosFolder);
}

}  // namespace

void RestoreData(OperationContext& context, const std::string& location, bool includeAll) {
  const std::string backupFolder = WithoutTrailingSeparator(location);
  const std::string backupDatabase = backupFolder + "\\" + kDatabaseFile;
  const std::string installation = InstallationWithoutSeparator(context.installationFolder());
  const std::string installedDatabase = installation + "\\" + kDatabaseFile;
  // With its separator: "C:" alone would name the drive's current folder.
  std::unique_ptr<OperationLock> lock =
      context.files.LockForOperation(installation + "\\", context.lockWait);

  if (!context.files.OrdinaryFileExists(backupDatabase)) {
    Inform(context, lock, "Arquivo não encontrado",
           "Este local não contém uma cópia de segurança do Tarvel 2.0.\n"
           "Selecione outro local que contenha uma cópia de segurança e tente novamente.");
    return;
  }
  FileSystem& files = context.files;
  if (IsInstallation(files, backupDatabase, installedDatabase, backupFolder, installation)) {
    Inform(context, lock, "Local incorreto",
           "Você selecionou o local do arquivo original e não de uma cópia de segurança.\n"
           "Selecione um local que contenha uma cópia de segurança de tente novamente.");
    return;
  }
  if (includeAll && PhotoTreesOverlap(files, backupFolder, installation)) {
    Inform(context, lock, "Local incorreto",
           "Esta cópia de segurança fica dentro da pasta de fotos do Tarvel 2.0, que seria "
           "restaurada sobre si mesma.\n"
           "Selecione uma cópia de segurança fora da pasta \"Fotos\" e tente novamente.");
    return;
  }
  if (includeAll) {
    const std::vector<std::string> missing = MissingFromSet(files, backupFolder);
    if (!missing.empty()) {
      Inform(context, lock, "Cópia de segurança incompleta", IncompleteSetText(missing));
      return;
    }
  }

  // The installation's own links lead to its real files, which are replaced.
  const DestinationLinks links = DestinationLinks::kFollow;
  RunCopies(files, [&] {
    files.CopyWholeFile(backupDatabase, installedDatabase, Durability::kNow, links);
    if (includeAll) CopyOptionsAndPhotos(files, backupFolder, installation, links);
  });
  Inform(context, lock, "Operação concluída",
         "A cópia de segurança foi recuperada com sucesso do seguinte local:\n" + location);
}

}  // namespace bt
