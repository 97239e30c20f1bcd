#include "ui/win32/design_fonts.h"

#include <cmath>
#include <cwchar>
#include <string>

#include "ui/common/design_measures.h"
#include "ui/win32/wide_text.h"

namespace bt {

namespace {

struct FaceSearch {
  const wchar_t* face;
  bool found = false;
};

int CALLBACK NoteFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM search) {
  // A substitute is enumerated under its own name: only the very face counts.
  auto* wanted = reinterpret_cast<FaceSearch*>(search);
  if (_wcsicmp(font->lfFaceName, wanted->face) != 0) return 1;
  wanted->found = true;
  return 0;
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
  FaceSearch search{face};
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, NoteFamily, reinterpret_cast<LPARAM>(&search), 0);
  ReleaseDC(nullptr, screen);
  return search.found;
}

std::wstring FaceFor(const std::string& designFace) {
  static const bool successorInstalled = FaceInstalled(L"Microsoft Sans Serif");
  if (designFace == "MS Sans Serif" && successorInstalled) return L"Microsoft Sans Serif";
  return Widen(designFace);
}

}  // namespace

UniqueFont MakeDesignFont(const std::optional<FontDesign>& font, UINT dpi) {
  const FontDesign& design = FontOrDefault(font);
  LOGFONTW logical{};
  // Negative: the character height, as a size in points means.
  logical.lfHeight = -static_cast<LONG>(std::lround(design.points * dpi / 72.0));
  logical.lfWeight = design.weight;
  logical.lfCharSet = ANSI_CHARSET;
  logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logical.lfQuality = DEFAULT_QUALITY;
  logical.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  const std::wstring face = FaceFor(design.face);
  wcsncpy(logical.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return MakeFont(logical);
}

UniqueFont MakeFont(const LOGFONTW& font) { return UniqueFont(CreateFontIndirectW(&font)); }

}  // namespace bt
