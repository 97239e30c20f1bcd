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

namespace {

std::string WhatOf(const std::string& description, const std::string& detail,
                   const std::string& hostDetail) {
  std::string what = description;
  if (!detail.empty()) what += ": " + detail;
  if (!hostDetail.empty()) what += " [" + hostDetail + "]";
  return what;
}

}  // namespace

AppError::AppError(int number, std::string detail, std::string hostDetail)
    : std::runtime_error(WhatOf(DescriptionOf(number), detail, hostDetail)),
      number_(number),
      description_(DescriptionOf(number)),
      detail_(std::move(detail)),
      hostDetail_(std::move(hostDetail)) {}

AppError AppError::WithDetail(std::string detail) const {
  return AppError(number_, std::move(detail), hostDetail_);
}

}  // namespace bt
