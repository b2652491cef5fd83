// The fixed texts whose odd spelling is deliberate: files written by earlier
// versions and the users' habits rely on each of them exactly as it is, so
// "correcting" one in the catalogue must fail here.
#include <gtest/gtest.h>

#include <string_view>

#include "FixedTexts.h"

namespace helmax {
namespace {

struct TKeptSpelling {
  std::string_view Catalogued;
  std::string_view Exact;
};

class DeliberateMisspelling : public testing::TestWithParam<TKeptSpelling> {};

TEST_P(DeliberateMisspelling, StaysAsFilesAndUsersKnowIt) { EXPECT_EQ(GetParam().Catalogued, GetParam().Exact); }

INSTANTIATE_TEST_SUITE_P(
    FixedTexts, DeliberateMisspelling,
    testing::Values(
        TKeptSpelling{texts::kPleaseCorrectFunctionVarableName, "Please correct function varable name"},
        TKeptSpelling{texts::kPleaseCorectUserDefinitions, "Please corect user definitions"},
        TKeptSpelling{texts::kDublicatingUserIdentifier, "Dublicating user identifier"},
        TKeptSpelling{texts::kVariableCountAndValueCauntDoNotCorespond,
                      "Variable count and value caunt do not corespond"},
        TKeptSpelling{texts::kDublicatingDefinedFunction, "Dublicating defined function"},
        TKeptSpelling{texts::kDefinedFunctionWasNotImplimented, "Defined function was not implimented"},
        TKeptSpelling{texts::kDublicatingArgumentNameForDefinedFunction,
                      "Dublicating argument name for defined function"},
        TKeptSpelling{texts::kDivisionBy0WithSpace, "Division by 0 "},
        TKeptSpelling{texts::kProgramingErrorUpperCase, "PROGRAMING ERROR"},
        TKeptSpelling{texts::kVerifySyntaxSemanticsRuleParanthesesSyntaxError,
                      "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR"},
        TKeptSpelling{texts::kDoRunTimeFunctionVariableCountIsDifferentForValue,
                      "DoRunTimeFunction-> VARIABLE COUNT IS DIFFERENT FOR VALUE COUNT"},
        TKeptSpelling{texts::kExpresieSemanticCorectaUnknownVariablePrefix,
                      "ExpresieSemanticCorecta->  UNKNOWN VARIABLE: "},
        TKeptSpelling{texts::kInvalidArgumentsCountForPrefix, "INVALID ARGUMENTS COUNT  FOR : "},
        TKeptSpelling{texts::kExpresieSemanticCorectaUnknownFunctionPrefix,
                      "ExpresieSemanticCorecta->  UNKNOWN FUNCTION: "},
        TKeptSpelling{texts::kFunctionArgumentsEscapeDefinitionDomianPrefix,
                      " FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : "},
        TKeptSpelling{texts::kWhileLoopIsUnutility, "WHILE LOOP IS UNUTILITY"},
        TKeptSpelling{texts::kVerifySyntaxSemanticsRuleFunctionWasNotImplimentedPrefix,
                      "VerifySyntaxSemanticsRule-> FUNCTION WAS NOT IMPLIMENTED : "},
        TKeptSpelling{texts::kIsValidIdentNameIdentifierNameAlreadyExistPrefix,
                      "IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST : "},
        TKeptSpelling{texts::kIsValidIdentNameDublicatingUserIdentifierNamePrefix,
                      "IsValidIdentName-> DUBLICATING USER IDENTIFIER NAME: "},
        TKeptSpelling{texts::kIndexMustBeBetween0AndPrefix, "INDEX MUST BE BETWEEN  0 AND "},
        TKeptSpelling{texts::kIndexMustBeBetween0And5, "INDEX MUST BE BETWEEN  0 AND 5"},
        TKeptSpelling{texts::kIncorrectIntegerForTheParameterPrefix, "Incorrect  integer for the parameter "},
        TKeptSpelling{texts::kIncorrectWordTypeForParameter1, "Incorrect word type for the parameter  1"},
        TKeptSpelling{texts::kIncorrectWordTypeForParameter2, "Incorrect word type for the parameter  2"},
        TKeptSpelling{texts::kIncorrectIntegerForParameter2, "Incorrect  integer for the parameter  2"},
        TKeptSpelling{texts::kDoublecatingVariableNamePrefix, "Doublecating variable name : "},
        TKeptSpelling{texts::kProgramingError, "Programing error"},
        TKeptSpelling{texts::kCannotDeleteVariableDependecePrefix, "Cannot delete variable dependece : "},
        TKeptSpelling{texts::kProgramingErrorExclaimed, "Programing error!"},
        TKeptSpelling{texts::kNumberOfVariablesDoNotCorespondWithEquations,
                      "Number of variables do not corespond with number of equations"},
        TKeptSpelling{texts::kSystemIsIllConditionedDeterminatIsZero, "System is ill conditioned: Determinat is zero"},
        TKeptSpelling{texts::kSystemIsIllConditionedDeterminatIsPrefix, "System is ill conditioned: Determinat is "},
        TKeptSpelling{texts::kInverseMatrixHeading, "Inverse  matrix :"},
        TKeptSpelling{texts::kTheCountMustToBePositive, "The count must to be > 0"},
        TKeptSpelling{texts::kNotDefinedForThisArgumentsPrefix, "Not defined for this arguments: "},
        TKeptSpelling{texts::kItemsMustBeDiferent, "Items must be diferent"},
        TKeptSpelling{texts::kNoUnitConverionDefinition, "No unit converion definition"},
        TKeptSpelling{texts::kPleaseEnterAnUnitCategory, "Please enter an unit category"},
        TKeptSpelling{texts::kIdOfUnitCategoryMustBeUnPrefix, "Id of unit category must be un integer : "},
        TKeptSpelling{texts::kIdOfConvertFromUnitMustBePrefix, "Id of convert from unit must be un integer : "},
        TKeptSpelling{texts::kIdOfConvertToUnitMustBePrefix, "Id of convert to unit must be un integer : "},
        TKeptSpelling{texts::kIncorrectIdOfUnitCategoryPrefix, "Incorrect id of unit category  : "},
        TKeptSpelling{texts::kInsertPathNumer, "Insert path numer"},
        TKeptSpelling{texts::kPleaseOpenAccessFileWithExchangeDatas, "Please open Access file with exchange datas"},
        TKeptSpelling{texts::kPleaseOpenFirebirdAccessFileWithExchangeDatas,
                      "Please open Firebird/Access file with exchange datas"},
        TKeptSpelling{texts::kSystemOfLinearEquatinsHeading, "System of linear equatins"},
        // spelt right by the function table only, misspelt by the other tools
        TKeptSpelling{texts::kPleaseCorrectUserDefinitions, "Please correct user definitions"}));

}  // namespace
}  // namespace helmax
