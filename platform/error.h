// The one failure type of the system. Every failure that leaves a procedure
// travels as an AppError carrying the classic error number and its Portuguese
// description, as the top-level error report shows them. `detail` says in
// Portuguese what was being done and to which Windows path ("Ao copiar
// C:\Tarvel\vendrial.mdb para ..."); the user reads it. `hostDetail` keeps
// the host's own cause in English (host paths, the system message) for the
// developers' log; the user never sees it.
#pragma once

#include <stdexcept>
#include <string>

namespace bt {

enum ErrorNumber : int {
  kErrInvalidCall = 5,       // "Chamada de procedimento ou argumento inválido"
  kErrOverflow = 6,          // "Estouro"
  kErrOutOfMemory = 7,       // "Memória insuficiente"
  kErrFileNotFound = 53,     // "Arquivo não encontrado"
  kErrDeviceIo = 57,         // "Erro de E/S do dispositivo"
  kErrFileExists = 58,       // "O arquivo já existe"
  kErrDiskFull = 61,         // "Disco cheio"
  kErrDeviceUnavailable = 68,  // "Dispositivo não disponível"
  kErrPermissionDenied = 70,   // "Permissão negada"
  kErrDiskNotReady = 71,       // "Disco não está pronto"
  kErrPathFileAccess = 75,     // "Erro de acesso ao caminho/arquivo"
  kErrPathNotFound = 76,       // "Caminho não encontrado"
};

// The Portuguese description of an error number; a generic text for numbers
// outside the table.
std::string DescriptionOf(int number);

class AppError : public std::runtime_error {
 public:
  explicit AppError(int number, std::string detail = {}, std::string hostDetail = {});

  int number() const { return number_; }
  const std::string& description() const { return description_; }
  // For the user, in Portuguese, with Windows paths only; may be empty.
  const std::string& detail() const { return detail_; }
  // For the developers, in English, with host paths and system messages;
  // may be empty.
  const std::string& hostDetail() const { return hostDetail_; }

  // The same failure with a new Portuguese detail, the host detail kept.
  AppError WithDetail(std::string detail) const;

 private:
  int number_;
  std::string description_;
  std::string detail_;
  std::string hostDetail_;
};

}  // namespace bt
