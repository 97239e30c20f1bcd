#include "platform/error.h"

#include <gtest/gtest.h>

namespace bt {
namespace {

TEST(AppError, CarriesNumberDescriptionAndCause) {
  AppError e(kErrPathNotFound, "C:\\Tarvel\\Fotos: No such file or directory");
  EXPECT_EQ(e.number(), 76);
  EXPECT_EQ(e.description(), "Caminho não encontrado");
  EXPECT_EQ(e.detail(), "C:\\Tarvel\\Fotos: No such file or directory");
  EXPECT_STREQ(e.what(), "Caminho não encontrado: C:\\Tarvel\\Fotos: No such file or directory");
}

TEST(AppError, ClassicPortugueseDescriptions) {
  EXPECT_EQ(DescriptionOf(5), "Chamada de procedimento ou argumento inválido");
  EXPECT_EQ(DescriptionOf(6), "Estouro");
  EXPECT_EQ(DescriptionOf(53), "Arquivo não encontrado");
  EXPECT_EQ(DescriptionOf(58), "O arquivo já existe");
  EXPECT_EQ(DescriptionOf(61), "Disco cheio");
  EXPECT_EQ(DescriptionOf(70), "Permissão negada");
  EXPECT_EQ(DescriptionOf(71), "Disco não está pronto");
  EXPECT_EQ(DescriptionOf(75), "Erro de acesso ao caminho/arquivo");
  EXPECT_EQ(DescriptionOf(76), "Caminho não encontrado");
}

}  // namespace
}  // namespace bt
