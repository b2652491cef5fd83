#include "RatesDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "TextFile.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {

bool HasExtension(std::string_view fileName, std::string_view extension) {
  return fileName.size() >= extension.size() &&
         EqualsIgnoringCase(fileName.substr(fileName.size() - extension.size()), extension);
}

TRatesProduct ProductOfFile(std::string_view fileName) {
  return HasExtension(fileName, ".mdb") ? TRatesProduct::Access : TRatesProduct::Firebird;
}

double DayOf(double serial) { return std::trunc(serial); }

std::optional<std::int64_t> TRatesField::AsInteger() const {
  switch (Kind) {
    case TKind::Integer: {
      std::int64_t v = Integer;
      for (int s = Scale; s < 0; ++s) {
        if (v % 10 != 0) return std::nullopt;
        v /= 10;
      }
      return v;
    }
    case TKind::Real:
      if (!std::isfinite(Real) || Real != std::trunc(Real) || std::fabs(Real) > 9.0e15) return std::nullopt;
      return static_cast<std::int64_t>(Real);
    default: return std::nullopt;
  }
}

std::optional<std::int64_t> TRatesField::AsCurrency() const {
  std::int64_t scaled = 0;
  switch (Kind) {
    case TKind::Integer:
      if (Scale >= -4) {
        __int128 v = Integer;
        for (int s = Scale; s > -4; --s) v *= 10;
        if (v > INT64_MAX || v < INT64_MIN) return std::nullopt;
        return static_cast<std::int64_t>(v);
      }
      if (!RoundScaledHalfEven(Integer, -4 - Scale, scaled)) return std::nullopt;
      return scaled;
    case TKind::Real:
      if (!RealToCurrency(Real, scaled)) return std::nullopt;
      return scaled;
    default: return std::nullopt;
  }
}

std::optional<double> TRatesField::AsDateTime() const {
  if ((Kind == TKind::DateTime || Kind == TKind::Real) && std::isfinite(Real)) return Real;
  if (Kind == TKind::Integer && Scale == 0) return static_cast<double>(Integer);
  return std::nullopt;
}

std::string TRatesField::AsText() const {
  switch (Kind) {
    case TKind::Text: return Text;
    case TKind::Integer: return std::to_string(Integer);
    default: return std::string();
  }
}

void CheckRatesFile(const std::string& fileName) {
  // Not blocking: a FIFO is refused below, not waited on.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT) throw TRatesDatabaseError("File \"" + fileName + "\" does not exist");
    throw TRatesDatabaseError("cannot open \"" + fileName + "\": " + std::strerror(err));
  }
  struct stat info {};
  const int statResult = ::fstat(fd, &info);
  const int err = errno;
  ::close(fd);
  if (statResult != 0) throw TRatesDatabaseError("cannot read \"" + fileName + "\": " + std::strerror(err));
  if (S_ISDIR(info.st_mode)) throw TRatesDatabaseError("\"" + fileName + "\" is a folder, not a database file");
  if (!S_ISREG(info.st_mode)) throw TRatesDatabaseError("\"" + fileName + "\" is not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > kRatesFileLimit)
    throw TRatesDatabaseError("\"" + fileName + "\" is too large (more than " +
                              std::to_string(kRatesFileLimit / kMebibyte) + " MB)");
}

std::unique_ptr<TRatesDatabase> OpenRatesDatabase(const std::string& fileName, const TFirebirdLogin& login) {
  if (ProductOfFile(fileName) == TRatesProduct::Access) return OpenAccessRates(fileName);
  return OpenFirebirdRates(fileName, login);
}

}  // namespace helmax
