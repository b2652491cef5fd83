// The conversion window's calculation: an expression of the user's
// variables is evaluated and its value converted from one unit of a
// category to another along the table's path. Runs on the thread that
// calculates with the calculator.
#pragma once

#include <memory>
#include <string>

#include "CalculatorForTools.h"
#include "ConversionTable.h"
#include "FixedTexts.h"
#include "HelmaxDateTimeEval.h"

namespace helmax {

// What "&Calculate" shows: the caption of the expression's group and the
// text of the "Value:" box.
struct TConversionOutcome {
  std::string Caption = texts::kExpressionLabel;
  std::string Value;
};

// What converting as the user types shows: the value both ways, or why
// there is none (instead of a message box at every key).
struct TLiveConversion {
  std::string Caption = texts::kExpressionLabel;
  std::string Value;              // From => To, as "&Calculate" shows it
  std::string Forward, Backward;  // "212 Fahrenheit = 373.15 Kelvin" and the value the other way
  std::string Error;              // the first failure; empty when both ways converted
};

class TUnitConversion {
 public:
  static constexpr const char* kCaption = texts::kConvertUnit;
  static constexpr const char* kNoCategory = texts::kPleaseEnterAnUnitCategory;
  static constexpr const char* kNoUnits = "Please choose the units to convert from and to";

  // The expression may use every function of the calculator's engines;
  // the units are those of table, the calculator's conversion table.
  TUnitConversion(TCalculatorForTools& calc, TConversionTable& table);

  // Evaluates expression (its lines joined) with the user's definitions and
  // converts the value in the category (0-based; -1: none chosen) from
  // unit `from` to unit `to` (-1: none). Failures are shown as messages
  // through the table's user interface, engine errors with their prefix.
  TConversionOutcome Calculate(const std::string& expression, int category, int from, int to);
  // The same without messages, both ways (From => To and To => From), for
  // the window's conversion at every key: the first failure is returned
  // instead. An empty expression gives nothing, and no failure.
  TLiveConversion Convert(const std::string& expression, int category, int from, int to);

  // What a category without units lacks, in words.
  static std::string NoUnitsInCategory(const std::string& category);

 private:
  // Shows the messages, or keeps the first one while quiet.
  class TRelay : public TUserInterface {
   public:
    explicit TRelay(TUserInterface& target) : Target_(target) {}
    bool Quiet = false;
    std::string First;
    void ShowMessage(const std::string& text) override {
      if (!Quiet) Target_.ShowMessage(text);
      else if (First.empty()) First = text;
    }
    bool AskYesNo(const std::string& question) override { return Target_.AskYesNo(question); }

   private:
    TUserInterface& Target_;
  };
  // The expression's value; false (reported) when it has none.
  bool Evaluate(const std::string& expression, TValue& value);
  // The category's reason not to convert between the two units, reported;
  // false when there is one.
  bool UnitsChosen(int category, int from, int to);
  // value converted from one unit to the other; false (reported) on failure.
  bool ConvertValue(int category, int from, int to, TValue& value, bool quiet);

  TCalculatorForTools& Calc_;
  TConversionTable& Table_;
  TRelay Relay_;
  TEngineErrorMessages Messages_;
  std::unique_ptr<THelmaxDateTimeEval> Engine_;
};

}  // namespace helmax
