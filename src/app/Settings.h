// The calculator's settings file: window geometry, view switches, remembered
// paths and the exchange database credentials.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace helmax {

struct TWindowGeometry {
  int Top = 0;
  int Left = 0;
  int Height = 0;
  int Width = 0;
  int DefinitionsHeight = 0;  // the definitions group (file key Memo1Height)
  int ExpressionsHeight = 0;  // the expressions group (file key Memo2Height)
};

struct TSettings {
  TWindowGeometry Geometry;
  bool StayOnTop = true;
  bool UserFunctions = true;
  bool ErrorMessage = true;
  bool CurrencyType = false;
  // How long one evaluation may run before it is stopped as a runaway, in
  // seconds (file key [Calculation] TimeLimit); 0: no limit.
  int TimeLimit = 5;
  std::string FilePath;
  std::string ConvFilePath;
  std::string ConstFilePath;
  std::string PTEFilePath;
  std::string ExchangeFileName;
  std::string FirebirdUserName = "sysdba";
  std::string FirebirdPassword = "tq4vne8rx";
  // The exchange window's "Latest quote on or before the date" (file key
  // [Exchange] LatestQuote).
  bool LatestQuote = false;
};

// The file text (CR LF lines, no empty lines). Empty paths are written as
// programFolder.
std::string SettingsText(const TSettings& s, std::string_view programFolder);

// What a settings file changes: only the keys that are present and convert.
struct TSettingsUpdate {
  // Top, Left, Height, Width, DefinitionsHeight, ExpressionsHeight; applied
  // only when [FormPos] holds exactly six keys.
  std::optional<int> Geometry[6];
  std::optional<bool> StayOnTop, UserFunctions, ErrorMessage;
  std::optional<int> TimeLimit;  // a whole number of seconds, 0 or more
  std::optional<std::string> FilePath, ConvFilePath, ConstFilePath, PTEFilePath, ExchangeFileName;
  std::optional<std::string> FirebirdUserName, FirebirdPassword;
  std::optional<bool> LatestQuote;
};
TSettingsUpdate ReadSettingsText(std::string_view text);

// Applies an update to settings (the geometry only for the keys present).
void ApplySettings(const TSettingsUpdate& u, TSettings& s);

}  // namespace helmax
