// Both programs carry the version that CMake sets, the product name and the license's copyright
// line as a version resource, in Japanese and in English, which Explorer's file properties show.
// Reading a resource runs nothing, so the 32-bit build is read here too.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

// Wine shows the Linux root as drive Z:.
std::wstring WindowsPath(const std::string& linuxPath) {
  std::wstring path = L"Z:" + Widen(linuxPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::string Narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                      nullptr);
  return narrow;
}

// The license's "Copyright (c) ..." line.
std::wstring LicenseCopyright() {
  std::ifstream license(std::string(VAM_SOURCE_DIR) + "/LICENSE");
  for (std::string line; std::getline(license, line);) {
    if (line.rfind("Copyright", 0) == 0) return Widen(line);
  }
  return {};
}

struct Translation {
  WORD language;
  WORD codePage;
  friend bool operator==(const Translation&, const Translation&) = default;
};

// A file's version resource, read as Explorer reads it.
class VersionResource {
 public:
  explicit VersionResource(const std::wstring& path) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool Ok() const { return !data_.empty(); }

  std::optional<VS_FIXEDFILEINFO> Fixed() const {
    UINT length = 0;
    void* value = Query(L"\\", &length);
    if (value == nullptr || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    return *static_cast<const VS_FIXEDFILEINFO*>(value);
  }

  std::vector<Translation> Translations() const {
    UINT length = 0;
    const auto* pairs = static_cast<const Translation*>(Query(L"\\VarFileInfo\\Translation", &length));
    if (pairs == nullptr) return {};
    return std::vector<Translation>(pairs, pairs + length / sizeof(Translation));
  }

  // A value of the string table of one language; nothing when it is missing.
  std::optional<std::wstring> String(Translation table, const wchar_t* name) const {
    wchar_t key[96];
    swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", table.language, table.codePage, name);
    UINT length = 0;
    const auto* text = static_cast<const wchar_t*>(Query(key, &length));
    if (text == nullptr) return std::nullopt;
    return std::wstring(text, wcsnlen(text, length));
  }

 private:
  void* Query(const wchar_t* key, UINT* length) const {
    void* value = nullptr;
    if (!Ok() || !VerQueryValueW(data_.data(), key, &value, length)) return nullptr;
    return value;
  }
  std::vector<unsigned char> data_;
};

constexpr Translation kJapanese{0x0411, 1200};
constexpr Translation kEnglish{0x0409, 1200};

struct Program {
  const char* name;
  const char* path;
  const wchar_t* fileName;
  friend void PrintTo(const Program& p, std::ostream* out) { *out << p.name; }
};

class VersionInfo : public ::testing::TestWithParam<Program> {
 protected:
  VersionResource resource{WindowsPath(GetParam().path)};
};

TEST_P(VersionInfo, FixedPartCarriesTheProjectVersion) {
  ASSERT_TRUE(resource.Ok()) << "no version resource in " << GetParam().path;
  const std::optional<VS_FIXEDFILEINFO> fixed = resource.Fixed();
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  // "1.2.3" or "1.2.3-dirty": the numbers before any mark.
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(VAM_EXPECTED_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
  for (DWORD ms : {fixed->dwFileVersionMS, fixed->dwProductVersionMS}) {
    EXPECT_EQ(HIWORD(ms), major);
    EXPECT_EQ(LOWORD(ms), minor);
  }
  for (DWORD ls : {fixed->dwFileVersionLS, fixed->dwProductVersionLS}) {
    EXPECT_EQ(HIWORD(ls), patch);
    EXPECT_EQ(LOWORD(ls), 0u);
  }
}

TEST_P(VersionInfo, JapaneseAndEnglishTablesNameTheProductVersionAndCopyright) {
  ASSERT_TRUE(resource.Ok()) << "no version resource in " << GetParam().path;
  const std::vector<Translation> translations = resource.Translations();
  EXPECT_NE(std::find(translations.begin(), translations.end(), kJapanese), translations.end());
  EXPECT_NE(std::find(translations.begin(), translations.end(), kEnglish), translations.end());

  const std::wstring copyright = LicenseCopyright();
  ASSERT_FALSE(copyright.empty()) << "LICENSE has no Copyright line";
  const std::wstring version = Widen(VAM_EXPECTED_VERSION);
  for (const Translation table : {kJapanese, kEnglish}) {
    SCOPED_TRACE(table.language == kJapanese.language ? "Japanese" : "English");
    EXPECT_EQ(resource.String(table, L"ProductName"), L"Vam");
    EXPECT_EQ(resource.String(table, L"ProductVersion"), version);
    EXPECT_EQ(resource.String(table, L"FileVersion"), version);
    EXPECT_EQ(resource.String(table, L"LegalCopyright"), copyright);
    EXPECT_EQ(resource.String(table, L"OriginalFilename"), GetParam().fileName);
    EXPECT_FALSE(resource.String(table, L"FileDescription").value_or(L"").empty());
  }
  // Each table in its own language: the Japanese description is not the English one.
  const std::wstring japanese = resource.String(kJapanese, L"FileDescription").value_or(L"");
  EXPECT_NE(japanese, resource.String(kEnglish, L"FileDescription").value_or(L""));
  EXPECT_TRUE(std::any_of(japanese.begin(), japanese.end(), [](wchar_t c) {
    return c >= 0x3040 && c <= 0x30FF;
  })) << Narrow(japanese);
}

INSTANTIATE_TEST_SUITE_P(Programs, VersionInfo,
                         ::testing::Values(Program{"Vam64", VAM_PROGRAM64, L"Vam64.exe"},
                                           Program{"Vam", VAM_PROGRAM32, L"Vam.exe"}),
                         [](const ::testing::TestParamInfo<Program>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
