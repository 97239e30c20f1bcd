// The one failure type of the system. Every failure that leaves a procedure
// travels as an AppError carrying the classic error number and its Portuguese
// description, as the top-level error report shows them; `detail` keeps the
// host's own cause (the path, the system message) so that nothing is lost.
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
  AppError(int number, std::string detail = {});

  int number() const { return number_; }
  const std::string& description() const { return description_; }
  // The host's cause: what was being done, to which path, and why it failed.
  const std::string& detail() const { return detail_; }

 private:
  int number_;
  std::string description_;
  std::string detail_;
};

}  // namespace bt
