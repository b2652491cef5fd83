#include "Settings.h"
#include "FixedTexts.h"

#include <charconv>

#include "IniFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

const char* const kFormPosKeys[6] = {"Top", "Left", "Height", "Width", "Memo1Height", "Memo2Height"};

// Unlike ParseInteger (TextUtil.h) this takes a plus sign before the digits.
std::optional<int> ToInt(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

// A view switch is turned off by 0; any other integer leaves it on.
std::optional<bool> ToSwitch(const std::optional<std::string>& value) {
  if (!value) return std::nullopt;
  const std::optional<int> v = ToInt(*value);
  if (!v) return std::nullopt;
  return *v != 0;
}

}  // namespace

std::string SettingsText(const TSettings& s, std::string_view programFolder) {
  std::string out;
  auto line = [&](std::string_view a, std::string_view b = {}) {
    out.append(a);
    out.append(b);
    out.append("\r\n");
  };
  auto path = [&](const std::string& p) { return p.empty() ? std::string(programFolder) : p; };
  line(texts::kFormPosSection);
  line(texts::kTopKey, std::to_string(s.Geometry.Top));
  line(texts::kLeftKey, std::to_string(s.Geometry.Left));
  line(texts::kHeightKey, std::to_string(s.Geometry.Height));
  line(texts::kWidthKey, std::to_string(s.Geometry.Width));
  line(texts::kMemo1HeightKey, std::to_string(s.Geometry.DefinitionsHeight));
  line(texts::kMemo2HeightKey, std::to_string(s.Geometry.ExpressionsHeight));
  line(texts::kViewSection);
  line("StayOnTop=", s.StayOnTop ? "1" : "0");
  line("UserFunctions=", s.UserFunctions ? "1" : "0");
  line("ErrorMessage=", s.ErrorMessage ? "1" : "0");
  line("CurrencyType=", s.CurrencyType ? "1" : "0");
  line("[Calculation]");
  line("TimeLimit=", std::to_string(s.TimeLimit));
  line(texts::kPathsSection);
  line(texts::kFilePathKey, path(s.FilePath));
  line(texts::kConvFilePathKey, path(s.ConvFilePath));
  line(texts::kConstFilePathKey, path(s.ConstFilePath));
  line(texts::kPteFilePathKey, path(s.PTEFilePath));
  line(texts::kExchangeFileNameKey, s.ExchangeFileName);
  line(texts::kFirebirdSection);
  line(texts::kUserNameKey, s.FirebirdUserName);
  line(texts::kPasswordKey, s.FirebirdPassword);
  line("[Exchange]");
  line("LatestQuote=", s.LatestQuote ? "1" : "0");
  return out;
}

TSettingsUpdate ReadSettingsText(std::string_view text) {
  const TIniFile ini = TIniFile::Parse(text);
  TSettingsUpdate u;
  if (ini.SectionKeys("FormPos").size() == 6)
    for (int i = 0; i < 6; ++i)
      if (auto v = ini.Value("FormPos", kFormPosKeys[i])) u.Geometry[i] = ToInt(*v);
  u.StayOnTop = ToSwitch(ini.Value("View", "StayOnTop"));
  u.UserFunctions = ToSwitch(ini.Value("View", "UserFunctions"));
  u.ErrorMessage = ToSwitch(ini.Value("View", "ErrorMessage"));
  if (const auto limit = ini.Value("Calculation", "TimeLimit"))
    if (const std::optional<int> v = ToInt(*limit); v && *v >= 0) u.TimeLimit = v;
  // CurrencyType is written on exit but the calculator always starts in the
  // scientific format, so it is not read.
  u.FilePath = ini.Value("Paths", "FilePath");
  u.ConvFilePath = ini.Value("Paths", "ConvFilePath");
  u.ConstFilePath = ini.Value("Paths", "ConstFilePath");
  u.PTEFilePath = ini.Value("Paths", "PTEFilePath");
  u.ExchangeFileName = ini.Value("Paths", "ExchangeFileName");
  if (ini.SectionKeys("Firebird").size() == 2) {
    u.FirebirdUserName = ini.Value("Firebird", "UserName");
    u.FirebirdPassword = ini.Value("Firebird", "Password");
  }
  u.LatestQuote = ToSwitch(ini.Value("Exchange", "LatestQuote"));
  return u;
}

void ApplySettings(const TSettingsUpdate& u, TSettings& s) {
  int* pos[6] = {&s.Geometry.Top,
                 &s.Geometry.Left,
                 &s.Geometry.Height,
                 &s.Geometry.Width,
                 &s.Geometry.DefinitionsHeight,
                 &s.Geometry.ExpressionsHeight};
  for (int i = 0; i < 6; ++i)
    if (u.Geometry[i]) *pos[i] = *u.Geometry[i];
  if (u.StayOnTop) s.StayOnTop = *u.StayOnTop;
  if (u.UserFunctions) s.UserFunctions = *u.UserFunctions;
  if (u.ErrorMessage) s.ErrorMessage = *u.ErrorMessage;
  if (u.TimeLimit) s.TimeLimit = *u.TimeLimit;
  if (u.FilePath) s.FilePath = *u.FilePath;
  if (u.ConvFilePath) s.ConvFilePath = *u.ConvFilePath;
  if (u.ConstFilePath) s.ConstFilePath = *u.ConstFilePath;
  if (u.PTEFilePath) s.PTEFilePath = *u.PTEFilePath;
  if (u.ExchangeFileName) s.ExchangeFileName = *u.ExchangeFileName;
  if (u.FirebirdUserName) s.FirebirdUserName = *u.FirebirdUserName;
  if (u.FirebirdPassword) s.FirebirdPassword = *u.FirebirdPassword;
  if (u.LatestQuote) s.LatestQuote = *u.LatestQuote;
}

}  // namespace helmax
