#include "platform/error.h"

namespace bt {

std::string DescriptionOf(int number) {
  switch (number) {
    case kErrInvalidCall: return "Chamada de procedimento ou argumento inválido";
    case kErrOverflow: return "Estouro";
    case kErrOutOfMemory: return "Memória insuficiente";
    case kErrFileNotFound: return "Arquivo não encontrado";
    case kErrDeviceIo: return "Erro de E/S do dispositivo";
    case kErrFileExists: return "O arquivo já existe";
    case kErrDiskFull: return "Disco cheio";
    case kErrDeviceUnavailable: return "Dispositivo não disponível";
    case kErrPermissionDenied: return "Permissão negada";
    case kErrDiskNotReady: return "Disco não está pronto";
    case kErrPathFileAccess: return "Erro de acesso ao caminho/arquivo";
    case kErrPathNotFound: return "Caminho não encontrado";
    default: return "Erro definido pelo aplicativo ou pelo objeto";
  }
}

AppError::AppError(int number, std::string detail)
    : std::runtime_error(DescriptionOf(number) + (detail.empty() ? "" : ": " + detail)),
      number_(number),
      description_(DescriptionOf(number)),
      detail_(std::move(detail)) {}

}  // namespace bt
