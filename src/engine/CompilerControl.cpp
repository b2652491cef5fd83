// The control forms of the compiler: if and while, whose argument programs
// run inside their instruction.
#include "CompilerInternals.h"
#include "FixedTexts.h"

namespace helmax {

std::int32_t TCompiler::ControlRecord(TRec r, std::int32_t instr, TValue* result) {
  E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Invariant = false;
  r.Prog = Piece(instr);
  return AddRec(r);
}

std::string TCompiler::DomainMessage(const std::string& name, const std::string& message) {
  return texts::kValFunctPrefix + name + texts::kFunctionArgumentsEscapeDefinitionDomianPrefix + message;
}

std::int32_t TCompiler::If(TRec r, std::int32_t number, const std::string& name, bool known) {
  const std::vector<std::int32_t> items = Items(r.A);
  if (known) {
    const TValue& cond = *R(items[0]).Cells[0];
    if (cond.Kind != TValueKind::Boolean) {
      E.MathErrorKind = 0;
      Fail(number, DomainMessage(name, texts::kIncorrectBooleanType));
    }
    if (cond.Bool) return Constant(*R(items[1]).Cells[0], r);
    if (items.size() == 3) return Constant(*R(items[2]).Cells[0], r);
    return Constant(TValue(), r);
  }
  std::vector<TValue*> operands;
  for (std::int32_t i : items) operands.push_back(R(i).Cells[0]);
  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opIf, operands.data(), operands.size(), result);
  TIfRecord rec;
  rec.Instruction = instr;
  rec.Condition = Materialize(R(items[0]).Prog);
  rec.Then = Materialize(R(items[1]).Prog);
  if (items.size() == 3) rec.Else = Materialize(R(items[2]).Prog);
  rec.Cells = CellsOf({&rec.Condition, &rec.Then, &rec.Else});
  E.IfRecords_.push_back(std::move(rec));
  SetControlIndex(instr, static_cast<std::int32_t>(E.IfRecords_.size() - 1));
  return ControlRecord(r, instr, result);
}

std::int32_t TCompiler::While(TRec r, std::int32_t number, const std::string& name) {
  const std::vector<std::int32_t> items = Items(r.A);
  if (R(items[0]).Invariant || R(items[1]).Invariant) {
    E.MathErrorKind = 0;
    Fail(number, DomainMessage(name, texts::kWhileLoopIsUnutility));
  }
  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opWhile, {R(items[0]).Cells[0], R(items[1]).Cells[0]}, result);
  TWhileRecord rec;
  rec.Instruction = instr;
  rec.Test = Materialize(R(items[0]).Prog);
  rec.Body = Materialize(R(items[1]).Prog);
  rec.Cells = CellsOf({&rec.Test, &rec.Body});
  E.WhileRecords_.push_back(std::move(rec));
  SetControlIndex(instr, static_cast<std::int32_t>(E.WhileRecords_.size() - 1));
  return ControlRecord(r, instr, result);
}

}  // namespace helmax
