#include "app/command_line.h"

#include <optional>

namespace bt {
namespace {

CommandLine Invalid(std::string problem) {
  CommandLine line;
  line.kind = CommandLine::Kind::kInvalid;
  line.problem = std::move(problem);
  return line;
}

// 1 to 9999, digits only.
std::optional<int> KeepCount(const std::string& text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1) return std::nullopt;
  return value;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  for (const std::string& argument : arguments) {
    if (argument == "--ajuda" || argument == "--help" || argument == "-h" || argument == "/?") {
      line.kind = CommandLine::Kind::kHelp;
      return line;
    }
  }
  bool backup = false;
  bool photos = false;
  bool keep = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string option = arguments[i];
    std::optional<std::string> value;
    if (const auto equals = option.find('='); option.starts_with("--") && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option.resize(equals);
    }
    // The value of --backup and --manter: joined by "=" or the next argument.
    const auto takeValue = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) return arguments[++i];
      return std::nullopt;
    };
    if (option == "--backup") {
      if (backup) return Invalid("a opção --backup foi dada mais de uma vez");
      backup = true;
      const auto location = takeValue();
      if (!location || location->empty()) return Invalid("falta o local depois de --backup");
      line.location = *location;
    } else if (option == "--fotos") {
      if (value) return Invalid("a opção --fotos não leva valor");
      if (photos) return Invalid("a opção --fotos foi dada mais de uma vez");
      photos = true;
      line.includeAll = true;
    } else if (option == "--manter") {
      if (keep) return Invalid("a opção --manter foi dada mais de uma vez");
      keep = true;
      const auto count = takeValue();
      if (!count) return Invalid("falta o número depois de --manter");
      const auto parsed = KeepCount(*count);
      if (!parsed) return Invalid("--manter pede um número de 1 a 9999, não \"" + *count + "\"");
      line.keep = *parsed;
    } else {
      return Invalid("opção desconhecida: \"" + arguments[i] + "\"");
    }
  }
  if (!backup) return Invalid("falta a opção --backup com o local do backup");
  line.kind = CommandLine::Kind::kBackup;
  return line;
}

std::string UsageText() {
  return "Uso: BackupTarvel --backup LOCAL [--fotos] [--manter N]\n"
         "     BackupTarvel --ajuda\n"
         "\n"
         "Faz o backup do Tarvel 2.0 sem abrir a janela, para ser agendado.\n"
         "\n"
         "  --backup LOCAL  cria o backup numa pasta nova com a data e a hora\n"
         "                  (aaaammdd_hhmmss) dentro de LOCAL, uma pasta como\n"
         "                  D:\\Copias (no Linux também /media/pendrive/Copias)\n"
         "  --fotos         inclui o arquivo de opções e a pasta de fotos, como\n"
         "                  a opção \"Incluir fotos e opções no backup/restauração\"\n"
         "  --manter N      depois de um backup bem-sucedido, apaga os backups mais\n"
         "                  antigos de LOCAL e deixa os N mais novos (N de 1 a 9999),\n"
         "                  contando o novo; só pastas aaaammdd_hhmmss com vendrial.mdb\n"
         "  --ajuda         mostra este texto\n"
         "\n"
         "Sem opções, abre a janela. Saída: 0 quando o backup foi feito; o número\n"
         "do erro quando falhou (por exemplo 53, 70, 76); 2 quando a linha de\n"
         "comando não foi entendida. Cada backup acrescenta uma linha ao histórico.\n";
}

}  // namespace bt
