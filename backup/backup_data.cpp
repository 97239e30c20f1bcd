#include "backup/backup_set.h"
#include "backup/creation_journal.h"
#include "backup/operations.h"
#include "platform/text.h"

namespace bt {
namespace {

// A backup set inside the photo folder would be copied into itself: whether
// the location's text says so, or a link or another drive letter leads there.
bool InsidePhotos(FileSystem& files, const std::string& installation, const std::string& backupSet) {
  const std::string photos = installation + "\\" + kPhotosFolder;
  const std::string photosText = LowerCase(photos + "\\");
  return LowerCase(backupSet + "\\").compare(0, photosText.size(), photosText) == 0 ||
         files.LiesWithin(backupSet, photos);
}

// The set folder exists already as a link when someone planted it there to
// lead the copies elsewhere; the run must not write through it.
void RefusePlantedSetFolder(FileSystem& files, const std::string& backupSet) {
  std::uint32_t attributes = 0;
  try {
    attributes = files.GetAttributes(backupSet);
  } catch (const AppError&) {
    return;  // missing: the first copy into it says so
  }
  if (attributes & kAttrReparsePoint) {
    throw AppError(kErrPathFileAccess, "A pasta \"" + backupSet +
                                           "\" já existia como atalho para outro local, que este "
                                           "programa não criou; nada foi copiado para ela.");
  }
}

}  // namespace

void CreateFolder(OperationContext& context, const std::string& path) {
  try {
    context.files.CreateFolder(path);
  } catch (const AppError&) {
    context.boxes.ShowMessage("Ocorreu um erro ao criar a pasta de destino:\n" + path, "Erro",
                              MessageIcon::Error, MessageButtons::Ok);
  }
}

std::optional<std::string> BackupData(OperationContext& context, const std::string& location, bool includeAll) {
  FileSystem& files = context.files;
  const std::string installation = InstallationWithoutSeparator(context.installationFolder());
  const std::string sourceDatabase = installation + "\\" + kDatabaseFile;
  const std::string folder = WithoutTrailingSeparator(location);
  // With its separator: "C:" alone would name the drive's current folder.
  std::unique_ptr<OperationLock> lock = files.LockForOperation(installation + "\\", context.lockWait);
  const std::string stamp = TimestampName(context.clock);
  const std::string backupSet = folder + "\\" + stamp;

  if (includeAll && InsidePhotos(files, installation, backupSet)) {
    lock.reset();
    context.boxes.ShowMessage(
        "O local do backup fica dentro da pasta de fotos do Tarvel 2.0, que seria copiada para "
        "dentro de si mesma.\nSelecione um local fora da pasta \"Fotos\" e tente novamente.",
        "Local incorreto", MessageIcon::Information, MessageButtons::Ok);
    return std::nullopt;
  }
  // What this run makes is taken back if it fails, so that no half-made
  // set is left to pass for a backup.
  CreationJournal made(files);
  OperationContext journalled{made, context.clock, context.boxes, context.installationFolder, context.lockWait};
  // A folder that cannot be created is reported and the run goes on: when
  // it exists already (two runs in one second) the copies go into it, and
  // when it is really missing the first copy fails.
  CreateFolder(journalled, backupSet);
  // Nothing in a set is the user's own: links found there are never followed.
  const DestinationLinks links = DestinationLinks::kReplace;
  RunCopies(
      made,
      [&] {
        RefusePlantedSetFolder(made, backupSet);
        made.CopyWholeFile(sourceDatabase, backupSet + "\\" + kDatabaseFile, Durability::kNow, links);
        if (includeAll) CopyOptionsAndPhotos(made, installation, backupSet, links);
      },
      [&] { made.TakeBack(); });
  if (context.afterBackup) context.afterBackup(backupSet);
  lock.reset();
  context.boxes.ShowMessage(
      "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n" + folder +
          "\\" + stamp,
      "Operação concluída", MessageIcon::Information, MessageButtons::Ok);
  return backupSet;
}

}  // namespace bt
