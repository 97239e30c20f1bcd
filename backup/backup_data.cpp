#include "backup/backup_set.h"
#include "backup/operations.h"
#include "platform/text.h"

namespace bt {
namespace {

// A backup set inside the photo folder would be copied into itself.
bool InsidePhotos(const std::string& installation, const std::string& backupSet) {
  const std::string photos = LowerCase(installation + "\\" + kPhotosFolder + "\\");
  return LowerCase(backupSet + "\\").compare(0, photos.size(), photos) == 0;
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

void BackupData(OperationContext& context, const std::string& location, bool includeAll) {
  const std::string installation = WithoutTrailingSeparator(context.installationFolder());
  const std::string sourceDatabase = installation + "\\" + kDatabaseFile;
  const std::string folder = WithoutTrailingSeparator(location);
  const std::string stamp = TimestampName(context.clock);
  const std::string backupSet = folder + "\\" + stamp;

  if (includeAll && InsidePhotos(installation, backupSet)) {
    context.boxes.ShowMessage(
        "O local do backup fica dentro da pasta de fotos do Tarvel 2.0, que seria copiada para "
        "dentro de si mesma.\nSelecione um local fora da pasta \"Fotos\" e tente novamente.",
        "Local incorreto", MessageIcon::Information, MessageButtons::Ok);
    return;
  }
  // A folder that cannot be created is reported and the run goes on: when
  // it exists already (two runs in one second) the copies go into it, and
  // when it is really missing the first copy fails.
  CreateFolder(context, backupSet);
  context.files.CopyWholeFile(sourceDatabase, backupSet + "\\" + kDatabaseFile);
  if (includeAll) CopyOptionsAndPhotos(context.files, installation, backupSet);
  // Reported done only once it is on the disk.
  context.files.FlushWrites();
  context.boxes.ShowMessage(
      "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n" + folder +
          "\\" + stamp,
      "Operação concluída", MessageIcon::Information, MessageButtons::Ok);
}

}  // namespace bt
