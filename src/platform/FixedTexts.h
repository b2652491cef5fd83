// The fixed texts the users and the files see: messages, questions, error
// lines, status texts, file sections and keys. These are the exact texts;
// their spelling, misspellings, doubled blanks and odd grammar included, is
// deliberate and fixed: files written by earlier versions, the habits of the
// users and the scripts that read the log and the documents rely on them.
// Changing one breaks them. Entries marked "sic" are the misspellings someone
// would be tempted to correct; tests/platform/fixedtexts_test.cpp pins them.
//
// Every entry is a char array, so it stands wherever the literal stood (a
// std::string, a std::string_view, a const char*, a QString); texts built with
// variables keep their variable parts: std::string(texts::kInvalidNamePrefix) + name.
// Keep one entry per line in the form below: the coordinator's replacement
// script reads this file.
#pragma once

namespace helmax::texts {

// clang-format off
// Shared by several tools: questions and refusals every table and tool window uses.
inline constexpr char kBytesSuffix[] = " bytes";
inline constexpr char kOutOfMemory[] = "Out of memory";
inline constexpr char kAreYouSure[] = "ARE YOU SURE ?";
inline constexpr char kInvalidNumberSign[] = "Invalid #";
inline constexpr char kInvalidCount[] = "Invalid count";
inline constexpr char kPleaseCorrectFunctionVarableName[] = "Please correct function varable name";  // sic: files rely on it (varable)
inline constexpr char kPleaseCorectUserDefinitions[] = "Please corect user definitions";  // sic: files rely on it (corect)
inline constexpr char kBadFileFormat[] = "Bad file format";
inline constexpr char kCalculationStopped[] = "Calculation stopped";

// The expression engine: error texts (ErrorMessage), error-kind suffixes, messages of the error codes.
inline constexpr char kIncorrectRealType[] = "Incorrect real type";
inline constexpr char kNonmathSuffix[] = " : NONMATH";
inline constexpr char kOverflowSuffix[] = " : Overflow";
inline constexpr char kUnderflowSuffix[] = " : Underflow";
inline constexpr char kInvalidArgumentSuffix[] = " : InvalidArgument";
inline constexpr char kZeroDivideSuffix[] = " : ZeroDivide";
inline constexpr char kInvalidOpSuffix[] = " : InvalidOp";
inline constexpr char kInvalidValueForPrefix[] = "Invalid value for ";
inline constexpr char kInvalidNumberOfFunctionArgumentsForPrefix[] = "Invalid number of function arguments for: ";
inline constexpr char kNoMathExpressionWasParsed[] = "No math expression was parsed";
inline constexpr char kMismatchedParenthesis[] = "Mismatched parenthesis";
inline constexpr char kInvalidNameOfDerivativeVariable[] = "Invalid name of derivative variable";
inline constexpr char kMathematicalExpressionIsEmpty[] = "Mathematical expression is empty";
inline constexpr char kIdentifierCannotBeEmpty[] = "Identifier cannot be empty";
inline constexpr char kIdentifierLengthIsTooLong[] = "Identifier length is too long";
inline constexpr char kInvalidIdentifier[] = "Invalid identifier";
inline constexpr char kIdentifierCannotBeAReservedName[] = "Identifier cannot be a reserved name";
inline constexpr char kIdentifierAlreadyExists[] = "Identifier already exists";
inline constexpr char kDublicatingUserIdentifier[] = "Dublicating user identifier";  // sic: files rely on it (Dublicating)
inline constexpr char kUnknownExpression[] = "Unknown expression";
inline constexpr char kInvalidExponentValue[] = "Invalid exponent value";
inline constexpr char kUseVerifySyntaxSemanticsAndDerivationForDifferentiation[] = "Use 'VerifySyntaxSemanticsAndDerivation' for differentiation";
inline constexpr char kDerivativeExpressionStringWasErased[] = "Derivative expression string was erased";
inline constexpr char kVariableCountAndValueCauntDoNotCorespond[] = "Variable count and value caunt do not corespond";  // sic: files rely on it (caunt, corespond)
inline constexpr char kUseDoVectorOfMathExpressionsForCalculateAVectorOf[] = "Use 'DoVectorOfMathExpressions' for calculate a vector of math expression";
inline constexpr char kFunctionNumberMustBeLess[] = "Function number must be less";
inline constexpr char kFunctionAddressCannotBeNil[] = "Function address cannot be nil";
inline constexpr char kCannotSetValueForProtectedExpression[] = "Cannot set value for protected expression";
inline constexpr char kInvalidExpression[] = "Invalid expression";
inline constexpr char kExecutionError[] = "Execution error";
inline constexpr char kUndefinedFunction[] = "Undefined function";
inline constexpr char kUndefinedVariable[] = "Undefined variable";
inline constexpr char kSyntaxError[] = "Syntax error";
inline constexpr char kCommaSyntaxError[] = "Comma syntax error";
inline constexpr char kFatalError[] = "Fatal error";
inline constexpr char kInvalidFunctionName[] = "Invalid function name";
inline constexpr char kDublicatingDefinedFunction[] = "Dublicating defined function";  // sic: files rely on it (Dublicating)
inline constexpr char kDefinedFunctionWasNotImplimented[] = "Defined function was not implimented";  // sic: files rely on it (implimented)
inline constexpr char kInvalidArgumentsNumberForDefinedFunction[] = "Invalid arguments number for defined function";
inline constexpr char kInvalidArgumentNameForDefinedFunction[] = "Invalid argument name for defined function";
inline constexpr char kDublicatingArgumentNameForDefinedFunction[] = "Dublicating argument name for defined function";  // sic: files rely on it (Dublicating)
inline constexpr char kStackOverflow[] = "Stack overflow";
inline constexpr char kDivisionBy0WithSpace[] = "Division by 0 ";  // sic: files rely on it (trailing blank)
inline constexpr char kDivisionBy0[] = "Division by 0";
inline constexpr char kProgramingErrorUpperCase[] = "PROGRAMING ERROR";  // sic: files rely on it (Programing)
inline constexpr char kIncorrectRealOrComplexType[] = "Incorrect real or complex type";
inline constexpr char kIncorrectComparativeType[] = "Incorrect comparative type";
inline constexpr char kIncorrectBooleanType[] = "Incorrect boolean type";
inline constexpr char kVerifySyntaxSemanticsRuleParanthesesSyntaxError[] = "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR";  // sic: files rely on it (PARANTHESES)
inline constexpr char kStergeSpatiiUnknownExpressionPrefix[] = "StergeSpatii-> UNKNOWN EXPRESSION: ";
inline constexpr char kStergeSpatiiSyntaxErrorPrefix[] = "StergeSpatii-> SYNTAX ERROR: ";
inline constexpr char kFormatareaExponenteiUnknownExpressionPrefix[] = "FormatareaExponentei-> UNKNOWN EXPRESSION: ";
inline constexpr char kIncorrectComplexType[] = "Incorrect complex type";
inline constexpr char kRangeOfRandomNumberMustBePositive[] = "RANGE OF RANDOM NUMBER MUST BE POSITIVE";
inline constexpr char kIncorrectCurrencyType[] = "Incorrect currency type";
inline constexpr char kForOperatorTimes[] = " for operator '*'";
inline constexpr char kForOperatorDivide[] = " for operator '/'";
inline constexpr char kForOperatorPlus[] = " for operator '+'";
inline constexpr char kForOperatorMinus[] = " for operator '-'";
inline constexpr char kForOperatorPower[] = " for operator '^'";
inline constexpr char kForOperatorAssign[] = " for operator '='";
inline constexpr char kUnknownSuffix[] = " unknown";
inline constexpr char kDoMathExpressionNoMathExpressionWasParsed[] = "DoMathExpression-> NO MATH EXPRESSION WAS PARSED";
inline constexpr char kDoMathExpressionThereIsAVector[] = "DoMathExpression-> THERE IS A VECTOR OF MATH EXPRESSIONS";
inline constexpr char kDoVectorOfMathExpressionsNoMathExpressionWasParsed[] = "DoVectorOfMathExpressions-> NO MATH EXPRESSION WAS PARSED";
inline constexpr char kDoRunTimeFunctionVariableCountIsDifferentForValue[] = "DoRunTimeFunction-> VARIABLE COUNT IS DIFFERENT FOR VALUE COUNT";  // sic: files rely on it (DIFFERENT FOR)
inline constexpr char kOutOfMemoryUpperCase[] = "OUT OF MEMORY";
inline constexpr char kUnknownException[] = "UNKNOWN EXCEPTION";
inline constexpr char kExceptieMatematicaPrefix[] = "ExceptieMatematica-> ";
inline constexpr char kExecuteNonMathExceptionWasRaisedPrefix[] = "Execute-> NON MATH EXCEPTION WAS RAISED : ";
inline constexpr char kExecuteComandNonMathExceptionWasRaisedPrefix[] = "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : ";
inline constexpr char kInfiniteLoopInWhilePrefix[] = "INFINITE LOOP IN WHILE : MaxIteration=";
inline constexpr char kCompileSyntaxErrorPrefix[] = "Compile-> SYNTAX ERROR :";
inline constexpr char kExpresieSemanticCorectaUnknownVariablePrefix[] = "ExpresieSemanticCorecta->  UNKNOWN VARIABLE: ";  // sic: files rely on it (two blanks)
inline constexpr char kExceptieExprConstPrefix[] = "ExceptieExprConst-> ";
inline constexpr char kEvalExpresExceptionErrorOnPrefix[] = "EvalExpres-> EXCEPTION ERROR ON ";
inline constexpr char kEvalExpresPrefix[] = "EvalExpres-> ";
inline constexpr char kInvalidArgumentsCountForPrefix[] = "INVALID ARGUMENTS COUNT  FOR : ";  // sic: files rely on it (two blanks)
inline constexpr char kInvalidArgumentNameForPrefix[] = "INVALID ARGUMENT NAME FOR : ";
inline constexpr char kInvalidArgumentSyntaxForPrefix[] = "INVALID ARGUMENT SYNTAX FOR : ";
inline constexpr char kExpresieSemanticCorectaUnknownFunctionPrefix[] = "ExpresieSemanticCorecta->  UNKNOWN FUNCTION: ";  // sic: files rely on it (two blanks)
inline constexpr char kIsValidIdentNameIdentifierLengthMustBeLessThanPrefix[] = "IsValidIdentName-> IDENTIFIER LENGTH MUST BE LESS THAN 256: ";
inline constexpr char kExceptieFunctiePrefix[] = "ExceptieFunctie-> ";
inline constexpr char kValFunctPrefix[] = "ValFunct-> ";
inline constexpr char kFunctionArgumentsEscapeDefinitionDomianPrefix[] = " FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : ";  // sic: files rely on it (DOMIAN)
inline constexpr char kWhileLoopIsUnutility[] = "WHILE LOOP IS UNUTILITY";  // sic: files rely on it (UNUTILITY)
inline constexpr char kParseForwardSyntaxErrorPrefix[] = "ParseForward-> SYNTAX ERROR : ";
inline constexpr char kVerifySyntaxSemanticsRuleInvalidDerivativeVariableName[] = "VerifySyntaxSemanticsRule-> INVALID DERIVATIVE VARIABLE NAME;";
inline constexpr char kVerifySyntaxSemanticsRuleMathExpressionIsEmpty[] = "VerifySyntaxSemanticsRule-> MATH EXPRESSION IS EMPTY";
inline constexpr char kVerifySyntaxSemanticsRuleFunctionWasNotImplimentedPrefix[] = "VerifySyntaxSemanticsRule-> FUNCTION WAS NOT IMPLIMENTED : ";  // sic: files rely on it (implimented)
inline constexpr char kCreateFunctionNumberMustBeLessThanPrefix[] = "Create-> FUNCTION NUMBER MUST BE LESS THAN : ";
inline constexpr char kCreateFunctionAddressCannotBeNilPrefix[] = "Create-> FUNCTION ADDRESS CANNOT BE NIL : ";
inline constexpr char kComplexDoubleCurrencyBooleanDatetime[] = "COMPLEX, DOUBLE, CURRENCY, BOOLEAN, DATETIME";
inline constexpr char kIsValidIdentNameIdentifierNameCannotBeEmpty[] = "IsValidIdentName-> IDENTIFIER NAME CANNOT BE EMPTY";
inline constexpr char kIsValidIdentNameNotValidPascalIdentifierPrefix[] = "IsValidIdentName-> NOT VALID PASCAL IDENTIFIER : ";
inline constexpr char kIsValidIdentNameIdentifierCannotBeAReservedNamePrefix[] = "IsValidIdentName-> IDENTIFIER CANNOT BE A RESERVED NAME: ";
inline constexpr char kIsValidIdentNameIdentifierNameAlreadyExistPrefix[] = "IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST : ";  // sic: files rely on it (ALREADY EXIST)
inline constexpr char kIsValidIdentNameDublicatingUserIdentifierNamePrefix[] = "IsValidIdentName-> DUBLICATING USER IDENTIFIER NAME: ";  // sic: files rely on it (Dublicating)
inline constexpr char kGetDerivativeNoMathExpressionWasParsed[] = "GetDerivative-> NO MATH EXPRESSION WAS PARSED";
inline constexpr char kGetDerivativeYouMustUseVerifySyntaxSemanticsAndDerivationMethod[] = "GetDerivative-> YOU MUST USE VerifySyntaxSemanticsAndDerivation METHOD";
inline constexpr char kGetDerivativeDerivativeExpressionWasErased[] = "GetDerivative-> DERIVATIVE EXPRESSION WAS ERASED";
inline constexpr char kIncorrectFunctionIndex[] = "INCORRECT FUNCTION INDEX";
inline constexpr char kIndexMustBeBetween0AndPrefix[] = "INDEX MUST BE BETWEEN  0 AND ";  // sic: files rely on it (two blanks)
inline constexpr char kNonMathematicalException[] = "NON MATHEMATICAL EXCEPTION";
inline constexpr char kEOverflowFloatingPointOperationOverflowed[] = "EOverflow->Floating-point operation overflowed";
inline constexpr char kEUnderflowFloatingPointOperationUnderflowed[] = "EUnderflow->Floating-point operation underflowed";
inline constexpr char kEInvalidArgumentParameterOutOfRange[] = "EInvalidArgument->Parameter out of range";
inline constexpr char kEZeroDivideAttemptToDivideByZero[] = "EZeroDivide->Attempt to divide by zero";
inline constexpr char kEInvalidOpProcessorEncounteredAnUndefinedInstruction[] = "EInvalidOp->Processor encountered an undefined instruction";
inline constexpr char kIndexMustBeBetween0And5[] = "INDEX MUST BE BETWEEN  0 AND 5";  // sic: files rely on it (two blanks)
inline constexpr char kNoConversion[] = "No conversion";

// The function packs: date and time, finance, statistics, distributions and special functions.
inline constexpr char kIncorrectDateTimeTypeForTheParameterPrefix[] = "Incorrect DateTime type for the parameter ";
inline constexpr char kIncorrectRealTypeForTheParameterPrefix[] = "Incorrect real type for the parameter ";
inline constexpr char kValueIsNanNotANumberForPrefix[] = "Value is NAN (Not A Number) for the parameter ";
inline constexpr char kIncorrectIntegerTypeOrderOfHermite[] = "Incorrect integer type: Order of Hermite";
inline constexpr char kIncorrectIntegerForTheParameterPrefix[] = "Incorrect  integer for the parameter ";  // sic: files rely on it (two blanks)
inline constexpr char kDegreesOfFreedomMustBePositive[] = "Degrees of Freedom must be > 0";
inline constexpr char kStandardDeviationMustBePositive[] = "Standard Deviation must be > 0";
inline constexpr char kValueMustBeStrictlyBetween0And1[] = "Value must be strictly between 0 and 1";
inline constexpr char kValueMustBeBetween0And1Inclusive[] = "Value must be between 0 and 1 inclusive";
inline constexpr char kValueMustBeNonNegative[] = "Value must be >= 0";
inline constexpr char kValueMustBeStrictlyBetween0000002And0999998[] = "Value must be strictly between 0.000002 and 0.999998";
inline constexpr char kInvalidBinomialDistribution[] = "Invalid Binomial Distribution";
inline constexpr char kInvalidPoissonDistribution[] = "Invalid Poisson Distribution";
inline constexpr char kInvalidExponentialDistribution[] = "Invalid Exponential Distribution";
inline constexpr char kValueMustBePositive[] = "Value must be > 0";
inline constexpr char kNotDefinedForThatValue[] = "Not defined for that value";
inline constexpr char kIncorrectPaymentTimeMustBe1StartOfPeriodOr[] = "Incorrect PaymentTime: must be 1 (StartOfPeriod) or 0 (EndOfPeriod)";
inline constexpr char kIncorrectRealTypeRateNPeriodsPaymentPresentValue[] = "Incorrect real type: Rate, NPeriods, Payment, PresentValue, PaymentTime";
inline constexpr char kIncorrectIntegerTypeNPeriodsOrPaymentTime[] = "Incorrect integer type: NPeriods or PaymentTime";
inline constexpr char kIncorrectRealTypeRateNPeriodsPaymentFutureValue[] = "Incorrect real type: Rate, NPeriods, Payment, FutureValue, PaymentTime";
inline constexpr char kIncorrectRealTypeRateNPeriodsPresentValueFutureValue[] = "Incorrect real type: Rate, NPeriods, PresentValue, FutureValue, PaymentTime";
inline constexpr char kIncorrectRealTypeRatePeriodNPeriodsPresentValue[] = "Incorrect real type: Rate, Period, NPeriods, PresentValue, FutureValue, PaymentTime";
inline constexpr char kIncorrectIntegerTypePeriodNPeriodsOrPaymentTime[] = "Incorrect integer type: Period, NPeriods or PaymentTime";
inline constexpr char kIncorrectRealTypeRatePaymentPresentValueFutureValue[] = "Incorrect real type: Rate, Payment, PresentValue, FutureValue, PaymentTime";
inline constexpr char kIncorrectIntegerTypePaymentTime[] = "Incorrect integer type: PaymentTime";
inline constexpr char kIncorrectRealTypeNPeriodsPaymentPresentValueFutureValue[] = "Incorrect real type: NPeriods, Payment, PresentValue, FutureValue, PaymentTime";
inline constexpr char kIncorrectRealTypeCostSalvageLifePeriod[] = "Incorrect real type: Cost, Salvage, Life, Period";
inline constexpr char kIncorrectIntegerTypeLifeOrPeriod[] = "Incorrect integer type: Life or Period";
inline constexpr char kIncorrectRealTypeCostSalvageLife[] = "Incorrect real type: Cost, Salvage, Life";
inline constexpr char kIncorrectIntegerTypeLifePrefix[] = "Incorrect integer type: Life ";
inline constexpr char kParameterCountMustBeAtLeast3[] = "Parameter count must be >= 3";
inline constexpr char kParameterCountMustBeAtLeast2[] = "Parameter count must be >= 2";
inline constexpr char kFactorialCalculationCannotExceed1754[] = "Factorial Calculation cannot exceed 1754";
inline constexpr char kInvalidPermutation[] = "Invalid Permutation";
inline constexpr char kPermutationOverflowed[] = "Permutation Overflowed";
inline constexpr char kInvalidBinomialCoefficient[] = "Invalid Binomial Coefficient";
inline constexpr char kBinomialCoefficientOverflowed[] = "Binomial Coefficient Overflowed";
inline constexpr char kIncorrectWordTypeForTheParameterPrefix[] = "Incorrect word type for the parameter ";
inline constexpr char kIncorrectWordTypeForParameter1[] = "Incorrect word type for the parameter  1";  // sic: files rely on it (two blanks)
inline constexpr char kIncorrectWordTypeForParameter2[] = "Incorrect word type for the parameter  2";  // sic: files rely on it (two blanks)
inline constexpr char kIncorrectIntegerForParameter2[] = "Incorrect  integer for the parameter  2";  // sic: files rely on it (two blanks)

// The calculator: document sections, settings file (sections and keys), log and main-window messages.
inline constexpr char kHistoryIndexPrefix[] = "History Index: ";
inline constexpr char kConstantsSection[] = "Constants";
inline constexpr char kFunctionVariableSection[] = "Function variable";
inline constexpr char kUserDefinitionsSection[] = "User definitions";
inline constexpr char kMathematicalExpressionsSection[] = "Mathematical expressions";
inline constexpr char kResultsSection[] = "RESULTS";
inline constexpr char kBadConstantsSectionMissingEqualsPrefix[] = "Bad constants section : missing '=' : ";
inline constexpr char kBadConstantsSectionMissingSemicolonPrefix[] = "Bad constants section : missing ';' : ";
inline constexpr char kTypeCurrency[] = "TYPE: Currency";
inline constexpr char kTypeScientific[] = "TYPE: Scientific";
inline constexpr char kFormPosSection[] = "[FormPos]";
inline constexpr char kTopKey[] = "Top=";
inline constexpr char kLeftKey[] = "Left=";
inline constexpr char kHeightKey[] = "Height=";
inline constexpr char kWidthKey[] = "Width=";
inline constexpr char kMemo1HeightKey[] = "Memo1Height=";
inline constexpr char kMemo2HeightKey[] = "Memo2Height=";
inline constexpr char kViewSection[] = "[View]";
inline constexpr char kPathsSection[] = "[Paths]";
inline constexpr char kFilePathKey[] = "FilePath=";
inline constexpr char kConvFilePathKey[] = "ConvFilePath=";
inline constexpr char kConstFilePathKey[] = "ConstFilePath=";
inline constexpr char kPteFilePathKey[] = "PTEFilePath=";
inline constexpr char kExchangeFileNameKey[] = "ExchangeFileName=";
inline constexpr char kFirebirdSection[] = "[Firebird]";
inline constexpr char kUserNameKey[] = "UserName=";
inline constexpr char kPasswordKey[] = "Password=";
inline constexpr char kTotalAllocatedMemoryPrefix[] = "Total allocated memory: ";
inline constexpr char kFrame31Memo1ExitPrefix[] = "Frame31Memo1Exit-> ";
inline constexpr char kNotCurrency[] = "Not Currency";
inline constexpr char kErrorResult[] = "ERROR";
inline constexpr char kCitesteStringBadFormat[] = "CitesteString -> Bad format";
inline constexpr char kDoublecatingVariableNamePrefix[] = "Doublecating variable name : ";  // sic: files rely on it (Doublecating)
inline constexpr char kPleaseInsertOnlyOneExpression[] = "Please insert only one expression";
inline constexpr char kFirstExpressionPrefix[] = "First expression -> ";
inline constexpr char kSecondExpressionPrefix[] = "Second expression -> ";
inline constexpr char kIncorrectNameOfFunctionVariable[] = "Incorrect name of function variable (must not be constant)";

// Constants: the constant list and the constants libraries (.con).
inline constexpr char kInvalidNamePrefix[] = "Invalid name : ";
inline constexpr char kInvalidValuePrefix[] = "Invalid value : ";
inline constexpr char kCategoryCannotBeAnEmptyString[] = "Category cannot be an empty string";
inline constexpr char kPleaseDeleteAllConstants[] = "Please delete all constants";
inline constexpr char kPleaseEnterAConstant[] = "Please enter a constant";
inline constexpr char kInternalConstant[] = "Internal constant";
inline constexpr char kInvalidConstantNamePrefix[] = "Invalid constant name : ";
inline constexpr char kInvalidDescriptionPrefix[] = "Invalid description : ";
inline constexpr char kInvalidExpressionPrefix[] = "Invalid expression : ";
inline constexpr char kProgramingError[] = "Programing error";  // sic: files rely on it (Programing)
inline constexpr char kCannotDeleteInternalConstants[] = "Cannot delete internal constants";
inline constexpr char kCannotDeleteVariableDependecePrefix[] = "Cannot delete variable dependece : ";  // sic: files rely on it (dependece)
inline constexpr char kProgramingErrorExclaimed[] = "Programing error!";  // sic: files rely on it (Programing)
inline constexpr char kStringListDoesNotAllowDuplicates[] = "String list does not allow duplicates";
inline constexpr char kDoubleClickForEdit[] = "Double click for edit!";

// Numerical tools: linear systems (.sle and results), integration, interpolation sheets.
inline constexpr char kSystemOfEquationsIsNotLinear[] = "System of equations is not linear";
inline constexpr char kNumberOfVariablesDoNotCorespondWithEquations[] = "Number of variables do not corespond with number of equations";  // sic: files rely on it (corespond)
inline constexpr char kSystemIsIllConditionedDeterminatIsZero[] = "System is ill conditioned: Determinat is zero";  // sic: files rely on it (Determinat)
inline constexpr char kSystemIsIllConditionedDeterminatIsPrefix[] = "System is ill conditioned: Determinat is ";  // sic: files rely on it (Determinat)
inline constexpr char kDeterminantPrefix[] = "Determinant = ";
inline constexpr char kSolutionHeading[] = "Solution:";
inline constexpr char kInverseMatrixHeading[] = "Inverse  matrix :";  // sic: files rely on it (two blanks)
inline constexpr char kInitialMatrixHeading[] = "Initial matrix:";
inline constexpr char kRightPartHeading[] = "Right part:";
inline constexpr char kListOfVariablesHeading[] = "List of variables";  // first block of a .sle file
inline constexpr char kSystemOfLinearEquatinsHeading[] = "System of linear equatins";  // sic: files rely on it (equatins)
inline constexpr char kNotSolved[] = "NOT SOLVED";
inline constexpr char kBadSystem[] = "BAD SYSTEM";
inline constexpr char kFunctionPleaseEnterOnlyOneFunctionTo[] = "Function: Please enter only one function to Integrate!";
inline constexpr char kDgaintInvalidDoubleType[] = "DGAINT-> Invalid Double Type";
inline constexpr char kDgaintPleaseEnterOnlyOneFunctionTo[] = "DGAINT-> Please enter only one function to Integrate!";
inline constexpr char kFunctionPrefix[] = "Function: ";
inline constexpr char kFromPrefix[] = "From: ";
inline constexpr char kToPrefix[] = "To: ";
inline constexpr char kDgaintIncorrectIntegralLimitsFromTo[] = "DGAINT-> Incorrect Integral limits: From >= To";
inline constexpr char kDgaintIncorrectIntegralLimitsNotFinite[] = "DGAINT-> Incorrect Integral limits: not finite";
inline constexpr char kDgaintIntegralFailedToConvergeToPrescribedPrefix[] = "DGAINT->Integral failed to converge to prescribed accuracy: ";
inline constexpr char kNumericalIntegration[] = "Numerical Integration";
inline constexpr char kSheet[] = "Sheet";
inline constexpr char kTheCountMustToBePositive[] = "The count must to be > 0";  // sic: files rely on it (must to be)
inline constexpr char kCannotDeleteFirstSheet[] = "Cannot delete first sheet";
inline constexpr char kIncorrectIntegerTypeSheetNumber[] = "Incorrect integer type: Sheet number";
inline constexpr char kSheetNumberMustBeBetween1AndPrefix[] = "Sheet number must be between 1 and ";
inline constexpr char kNotDefinedForThisArgumentsPrefix[] = "Not defined for this arguments: ";  // sic: files rely on it (this arguments)
inline constexpr char kSystemOfLinearEquationsSolver[] = "System of linear equations solver";

// Unit conversion: conversion tables (.cnv), the unit graph and the conversion window.
inline constexpr char kExpressionPrefix[] = "Expression: ";
inline constexpr char kErrorInCategoryPrefix[] = "Error in category : ";
inline constexpr char kInternalError[] = "Internal Error";
inline constexpr char kUnitDefinitionCannotBeAnEmptyString[] = "Unit definition cannot be an empty string";
inline constexpr char kPleaseDeleteAllDefinitions[] = "Please delete all definitions";
inline constexpr char kRowNumberPrefix[] = " : Row# ";
inline constexpr char kABPrefix[] = "A => B : ";
inline constexpr char kBAPrefix[] = "B => A : ";
inline constexpr char kExpressionMustBeLinearSuffix[] = " Expression must be linear";
inline constexpr char kExpressionMustBeLinear[] = "Expression must be linear";
inline constexpr char kExpressionMustContainVariableXSuffix[] = " Expression must contain variable x";
inline constexpr char kExpressionMustContainVariableX[] = "Expression must contain variable x";
inline constexpr char kPleaseSelectItemsInComboBox[] = "Please select items in ComboBox";
inline constexpr char kItemsMustBeDiferent[] = "Items must be diferent";  // sic: files rely on it (diferent)
inline constexpr char kVertexCountMustBePrefix[] = "VERTEX COUNT MUST BE <= ";
inline constexpr char kArcCountMustBePrefix[] = "ARC COUNT MUST BE <= ";
inline constexpr char kTheNumberMustBeBetween1AndPrefix[] = "THE NUMBER MUST BE BETWEEN 1 AND ";
inline constexpr char kPleaseCheckConversions[] = "Please check conversions";
inline constexpr char kNoUnitConverionDefinition[] = "No unit converion definition";  // sic: files rely on it (converion)
inline constexpr char kExpressionLabel[] = "Expression:";
inline constexpr char kConvertUnit[] = "Convert Unit";
inline constexpr char kPleaseEnterAnUnitCategory[] = "Please enter an unit category";  // sic: files rely on it (an unit)
inline constexpr char kUnitsCannotBeIdenticalSuffix[] = " : units cannot be identical";
inline constexpr char kAndRowNumberSuffix[] = " and Row#";
inline constexpr char kRowsCannotBeIdenticalSuffix[] = " : rows cannot be identical";
inline constexpr char kSpacedABPrefix[] = " A => B : ";
inline constexpr char kSpacedBAPrefix[] = " B => A : ";
inline constexpr char kIdOfUnitCategoryMustBeUnPrefix[] = "Id of unit category must be un integer : ";  // sic: files rely on it (un integer)
inline constexpr char kIdOfConvertFromUnitMustBePrefix[] = "Id of convert from unit must be un integer : ";  // sic: files rely on it (un integer)
inline constexpr char kIdOfConvertToUnitMustBePrefix[] = "Id of convert to unit must be un integer : ";  // sic: files rely on it (un integer)
inline constexpr char kIncorrectIdOfUnitCategoryPrefix[] = "Incorrect id of unit category  : ";  // sic: files rely on it (two blanks)
inline constexpr char kIncorrectIdOfConvertFromUnitPrefix[] = "Incorrect id of convert from unit : ";
inline constexpr char kIncorrectIdOfConvertToUnitPrefix[] = "Incorrect id of convert to unit : ";
inline constexpr char kClickOnVertexHint[] = "Click on vertex for moving it. Click on E1,E2,... for Units links";
inline constexpr char kInsertPathNumer[] = "Insert path numer";  // sic: files rely on it (numer)
inline constexpr char kPleaseEnterUnits[] = "Please enter units";

// Periodic table: property and class names of the element data (.pte).
inline constexpr char kAtomicWeight[] = "Atomic Weight";
inline constexpr char kMeltingPoint[] = "Melting Point";
inline constexpr char kBoilingPoint[] = "Boiling Point";
inline constexpr char kDensity[] = "Density";
inline constexpr char kNonmetal[] = "Nonmetal";
inline constexpr char kNobleGas[] = "Noble Gas";
inline constexpr char kAlkalineMetal[] = "Alkaline Metal";
inline constexpr char kAlkalineEarthMetal[] = "Alkaline Earth Metal";
inline constexpr char kMetalloid[] = "Metalloid";
inline constexpr char kHalogen[] = "Halogen";
inline constexpr char kOtherMetal[] = "Other Metal";
inline constexpr char kTransitionMetal[] = "Transition Metal";
inline constexpr char kLanthanoid[] = "Lanthanoid";
inline constexpr char kActinoid[] = "Actinoid";
inline constexpr char kGas[] = "Gas";
inline constexpr char kLiquid[] = "Liquid";
inline constexpr char kSolid[] = "Solid";

// Function table and its export.
inline constexpr char kPleaseCorrectUserDefinitions[] = "Please correct user definitions";  // the function table spells it right; the other tools do not
inline constexpr char kTooManyPointsPrefix[] = "Too many points: ";
inline constexpr char kTForm1Execute1ClickPrefix[] = "TForm1.Execute1Click-> ";
inline constexpr char kNumError[] = "#NUM!";

// Currency exchange: the exchange window, its history lines and rates databases.
inline constexpr char kCurrencyIncorrectCurrencyType[] = "Currency: incorrect currency type";
inline constexpr char kExchangeDateIncorrectDateType[] = "Exchange date: incorrect date type";
inline constexpr char kOpenAccessFilePrefix[] = "OpenAccessFile -> ";
inline constexpr char kOpenFirebirdFilePrefix[] = "OpenFirebirdFile -> ";
inline constexpr char kButton1ClickPrefix[] = "Button1Click -> ";
inline constexpr char kPleaseOpenAccessFileWithExchangeDatas[] = "Please open Access file with exchange datas";  // sic: files rely on it (datas)
inline constexpr char kPleaseOpenFirebirdAccessFileWithExchangeDatas[] = "Please open Firebird/Access file with exchange datas";  // sic: files rely on it (datas)
inline constexpr char kCurrencyPrefix[] = "Currency: ";
inline constexpr char kExchangeDatePrefix[] = "Exchange date: ";
inline constexpr char kResultsLabel[] = "Results:";
inline constexpr char kNoExchange[] = "No exchange";
inline constexpr char kExchangeIncorrectRate[] = "Exchange: incorrect rate!";
inline constexpr char kExchangeDateFieldPrefix[] = "ExchangeDate= ";
inline constexpr char kCurrencyFieldPrefix[] = ", Currency= ";
inline constexpr char kNominalFieldPrefix[] = ", Nominal= ";
inline constexpr char kValueFieldPrefix[] = ", Value= ";
// clang-format on

}  // namespace helmax::texts
