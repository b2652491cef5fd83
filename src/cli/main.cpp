// helmax-eval: the calculator without its window. It starts from the
// built-in default document (or a document file), evaluates expressions
// exactly as the expressions pane does and prints the lines the results pane
// would show. It writes no file.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <editline/readline.h>

#include "Calculator.h"
#include "ConversionTable.h"
#include "Differentiation.h"
#include "EquivalenceTest.h"
#include "IntegralCommand.h"
#include "LinearSystemCommand.h"
#include "ProgramFolder.h"
#include "TextFile.h"

namespace {

using namespace helmax;

const char* const kUsage =
    "Usage: helmax-eval [OPTIONS] [EXPRESSIONS]\n"
    "Evaluates EXPRESSIONS (joined by commas into one expressions pane) with the\n"
    "calculator's definitions and prints one result per line. Without EXPRESSIONS\n"
    "and without a document, every line of standard input is one expressions pane.\n"
    "\n"
    "  -d, --definitions TEXT  the user definitions pane (default: those of the\n"
    "                          default document)\n"
    "  -k, --constants TEXT    the constants section, as a document holds it\n"
    "                          (NAME = expression //description; ...)\n"
    "  -v, --variable NAME     the function variable (default x)\n"
    "      --conversions FILE  the conversion table (.cnv) that Conv uses (default:\n"
    "                          helmax-eval.cnv beside the program or in its user\n"
    "                          data folder, else the built-in table); it is\n"
    "                          checked at start\n"
    "  -f, --document FILE     load a calculator document (its four sections); its\n"
    "                          expressions are used unless EXPRESSIONS is given\n"
    "      --currency          Currency result format\n"
    "      --no-error-message  errors show as \"ERROR\"\n"
    "      --diagnostics       after each evaluation, one line on standard error:\n"
    "                          code=<ErrorCode> kind=<MathErrorKind> message=<text>\n"
    "      --max-seconds N     stop an evaluation that runs longer than N seconds\n"
    "                          (\"Calculation stopped: too long\"); Ctrl+C stops one\n"
    "                          at once (\"Calculation stopped\")\n"
    "  -h, --help              show this help\n"
    "      --version           show the version\n"
    "\n"
    "      --derivative VAR    print the derivative of EXPRESSIONS with respect to\n"
    "                          VAR, as the Symbolic Differentiate window shows it\n"
    "                          (no definitions; names are declared by use); a\n"
    "                          compile error prints its line and exits with 1\n"
    "      --bracket           with --derivative: in bracket notation (Sin[x])\n"
    "      --power-function    with --derivative: powers as power(a,b), not a^b\n"
    "      --equivalent SECOND test whether EXPRESSIONS and SECOND are equivalent,\n"
    "                          as the equivalence window's Test does: prints Yes, No\n"
    "                          or Indeterminate, then equal=<n> unequal=<n>\n"
    "                          counted=<n>; an error goes to standard error (exit 1)\n"
    "      --seed N            with --equivalent: fixes the random draws (default:\n"
    "                          from the clock)\n"
    "      --integral FROM TO  print the integral of EXPRESSIONS (one function of\n"
    "                          the function variable) from FROM to TO, both\n"
    "                          expressions, as the Numerical Integration window\n"
    "                          shows it; a failure goes to standard error (exit 1);\n"
    "                          with --diagnostics, evaluations=<n> error=<estimate>\n"
    "      --tolerance T       with --integral: the relative tolerance instead of\n"
    "                          integrtolerance (at least 2.2E-16)\n"
    "      --linear-system FILE  solve the system of linear equations saved in FILE\n"
    "                          (.sle) as the System Solver window does, with the\n"
    "                          constants' dettolerance, and print its results\n"
    "                          (\"Solution:\" and one line per variable); a failure\n"
    "                          goes to standard error (exit 1)\n"
    "      --determinant       with --linear-system: print the determinant instead\n"
    "      --inverse           with --linear-system: print the inverse matrix instead\n"
    "\n"
    "At the interactive prompt Ctrl+C drops the line being typed (or stops the\n"
    "evaluation) and the next line is read; reading a file or pipe, Ctrl+C\n"
    "stops the program (exit status 130).\n"
    "\n"
    "Messages go to standard error. Exit status: 0 when the results were shown,\n"
    "1 when an error was shown or a message raised, 2 for bad usage or a file\n"
    "that cannot be read (missing, not a regular file, too large, not text),\n"
    "130 after Ctrl+C while reading a file or pipe.\n";

struct TOptions {
  std::optional<std::string> Definitions, Constants, Variable, Document, Conversions;
  std::optional<std::string> DerivativeVariable, Equivalent, Seed;
  std::optional<TIntegralRequest> Integral;
  std::optional<std::string> Tolerance;
  std::optional<std::string> LinearSystem;
  bool Determinant = false;
  bool Inverse = false;
  bool Bracket = false;
  bool PowerFunction = false;
  bool Currency = false;
  bool NoErrorMessage = false;
  bool Diagnostics = false;
  double MaxSeconds = 0;  // 0: no limit
  std::vector<std::string> Expressions;
};

// Messages of the calculator, one line each on standard error.
class TStandardErrorUi : public TUserInterface {
 public:
  int Count = 0;
  // While set, messages are about this file and are shown as document
  // messages are: "helmax-eval: FILE: message", or "helmax-eval: message"
  // when the message names the file itself.
  std::string File;
  void ShowMessage(const std::string& text) override {
    ++Count;
    if (!File.empty()) {
      std::cerr << "helmax-eval: ";
      if (text.find('"' + File + '"') == std::string::npos) std::cerr << File << ": ";
    }
    std::cerr << text << '\n';
  }
  // Nothing on this path asks a question; refuse whatever would.
  bool AskYesNo(const std::string& question) override {
    ShowMessage(question);
    return false;
  }
};

[[noreturn]] void BadUsage(const std::string& what) {
  std::cerr << "helmax-eval: " << what << "\nTry 'helmax-eval --help' for more information.\n";
  std::exit(2);
}

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      o.Expressions.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg.resize(eq);
      }
    }
    auto value = [&](std::optional<std::string>& target) {
      if (inlineValue) {
        target = *inlineValue;
      } else if (i + 1 < argc) {
        target = argv[++i];
      } else {
        BadUsage("option " + arg + " needs a value");
      }
    };
    auto flag = [&](bool& target) {
      if (inlineValue) BadUsage("option " + arg + " takes no value");
      target = true;
    };
    if (arg == "-d" || arg == "--definitions") value(o.Definitions);
    else if (arg == "-k" || arg == "--constants") value(o.Constants);
    else if (arg == "-v" || arg == "--variable") value(o.Variable);
    else if (arg == "-f" || arg == "--document") value(o.Document);
    else if (arg == "--conversions") value(o.Conversions);
    else if (arg == "--currency") flag(o.Currency);
    else if (arg == "--no-error-message") flag(o.NoErrorMessage);
    else if (arg == "--diagnostics") flag(o.Diagnostics);
    else if (arg == "--max-seconds") {
      std::optional<std::string> text;
      value(text);
      char* end = nullptr;
      o.MaxSeconds = std::strtod(text->c_str(), &end);
      if (text->empty() || *end != '\0' || !(o.MaxSeconds > 0) || o.MaxSeconds > 1e9)
        BadUsage("option --max-seconds needs a positive number of seconds");
    } else if (arg == "--derivative") value(o.DerivativeVariable);
    else if (arg == "--bracket") flag(o.Bracket);
    else if (arg == "--power-function") flag(o.PowerFunction);
    else if (arg == "--equivalent") value(o.Equivalent);
    else if (arg == "--seed") value(o.Seed);
    else if (arg == "--integral") {
      if (inlineValue || i + 2 >= argc) BadUsage("option --integral needs FROM and TO");
      o.Integral = TIntegralRequest{argv[i + 1], argv[i + 2], std::nullopt};
      i += 2;
    } else if (arg == "--tolerance") value(o.Tolerance);
    else if (arg == "--linear-system") value(o.LinearSystem);
    else if (arg == "--determinant") flag(o.Determinant);
    else if (arg == "--inverse") flag(o.Inverse);
    else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      std::exit(0);
    } else if (arg == "--version") {
      std::cout << "helmax-eval " << HELMAX_VERSION << '\n';
      std::exit(0);
    } else if (arg.size() > 1 && arg[1] != '-' && std::isdigit(static_cast<unsigned char>(arg[1]))) {
      o.Expressions.push_back(arg);  // a negative number, not an option
    } else {
      BadUsage("unknown option " + arg);
    }
  }
  if (o.DerivativeVariable && o.Equivalent) BadUsage("--derivative and --equivalent exclude each other");
  if ((o.Bracket || o.PowerFunction) && !o.DerivativeVariable)
    BadUsage("--bracket and --power-function need --derivative");
  if (o.Seed && !o.Equivalent) BadUsage("--seed needs --equivalent");
  if ((o.DerivativeVariable || o.Equivalent) && o.Expressions.empty()) BadUsage("an EXPRESSION is needed");
  if (o.Integral && (o.DerivativeVariable || o.Equivalent))
    BadUsage("--integral excludes --derivative and --equivalent");
  if (o.Integral && o.Expressions.empty()) BadUsage("an EXPRESSION is needed");
  if (o.Tolerance) {
    if (!o.Integral) BadUsage("--tolerance needs --integral");
    char* end = nullptr;
    o.Integral->Tolerance = std::strtod(o.Tolerance->c_str(), &end);
    if (o.Tolerance->empty() || *end != '\0') BadUsage("option --tolerance needs a number");
  }
  if ((o.Determinant || o.Inverse) && !o.LinearSystem) BadUsage("--determinant and --inverse need --linear-system");
  if (o.Determinant && o.Inverse) BadUsage("--determinant and --inverse exclude each other");
  if (o.LinearSystem && (o.DerivativeVariable || o.Equivalent || !o.Expressions.empty()))
    BadUsage("--linear-system takes no EXPRESSIONS, --derivative or --equivalent");
  return o;
}

// The calculator that Ctrl+C stops. The handler only raises its stop flag,
// an atomic store that is safe in a signal handler.
TCalculator* volatile g_Interrupted = nullptr;
volatile std::sig_atomic_t g_InterruptSeen = 0;

extern "C" void StopOnInterrupt(int) {
  g_InterruptSeen = 1;
  if (TCalculator* calc = g_Interrupted) calc->RequestStop(srStopped);
}

// While it lives, Ctrl+C stops the calculator's evaluation instead of ending
// the program, and with a time limit a watchdog stops an evaluation that
// runs past it.
class TRunGuard {
 public:
  TRunGuard(TCalculator& calc, double maxSeconds) : Calc_(calc) {
    Calc_.ClearStopRequest();
    g_Interrupted = &calc;
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &Previous_);
    if (maxSeconds > 0)
      Watchdog_ = std::thread([this, maxSeconds] {
        std::unique_lock<std::mutex> lock(Mutex_);
        if (!Done_.wait_for(lock, std::chrono::duration<double>(maxSeconds), [this] { return Finished_; }))
          Calc_.RequestStop(srTooLong);
      });
  }
  ~TRunGuard() {
    if (Watchdog_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(Mutex_);
        Finished_ = true;
      }
      Done_.notify_one();
      Watchdog_.join();
    }
    sigaction(SIGINT, &Previous_, nullptr);
    g_Interrupted = nullptr;
  }
  TRunGuard(const TRunGuard&) = delete;
  TRunGuard& operator=(const TRunGuard&) = delete;

 private:
  TCalculator& Calc_;
  struct sigaction Previous_ {};
  std::thread Watchdog_;
  std::mutex Mutex_;
  std::condition_variable Done_;
  bool Finished_ = false;
};

std::string JoinExpressions(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += ",";
    out += p;
  }
  return out;
}

class TCommandLine {
 public:
  explicit TCommandLine(const TOptions& o) : Options_(o), Calc_(Ui_) {}

  // Loads the document and the options' sections; false when the document
  // cannot be used.
  bool Load(std::string& expressions) {
    std::string text = DocumentText(DefaultDocumentTexts());
    if (Options_.Document) {
      std::string error;
      if (!ReadPlainTextFile(*Options_.Document, text, error, kDocumentFileLimit)) {
        std::cerr << "helmax-eval: " << error << '\n';
        return false;
      }
    }
    std::optional<TSections> sections = ReadDocumentSections(text);
    if (!sections) {
      std::cerr << "helmax-eval: " << *Options_.Document << ": Bad file format\n";
      return false;
    }
    TSections& s = *sections;
    if (Options_.Constants) s[secConstants] = *Options_.Constants;
    if (Options_.Variable) s[secFunctionVariable] = *Options_.Variable;
    if (Options_.Definitions) s[secDefinitions] = *Options_.Definitions;
    expressions = NormalizeLineEnds(s[secExpressions]);
    if (!LoadConversions()) return false;
    Calc_.SetErrorMessageView(!Options_.NoErrorMessage);
    if (Options_.Currency) Calc_.SetCurrencyMode(true);
    // Loading evaluates nothing: the expressions come afterwards, one pane
    // at a time.
    {
      const TRunGuard guard(Calc_, Options_.MaxSeconds);
      Calc_.LoadSections(s[secConstants], s[secFunctionVariable], "", s[secDefinitions]);
    }
    if (Options_.Diagnostics && Calc_.DefinitionsInvalid() && !Calc_.Results().empty())
      std::cerr << "definitions: " << Calc_.Results() << '\n';
    return true;
  }

  // Evaluates one expressions pane and prints its results; true when
  // values were shown and no message was raised (loading included).
  bool Evaluate(const std::string& pane) {
    const int before = Ui_.Count;
    Calc_.SetExpressions(pane);
    {
      const TRunGuard guard(Calc_, Options_.MaxSeconds);
      Calc_.ExpressionsChanged();
    }
    if (!Calc_.Results().empty()) std::cout << Calc_.Results() << '\n';
    std::cout.flush();
    if (Options_.Diagnostics) {
      const THelmaxDateTimeEval& e = Calc_.ExpressionsEngine();
      std::cerr << "code=" << e.ErrorCode << " kind=" << e.MathErrorKind << " message=" << e.ErrorMessage << '\n';
    }
    const bool ok = Calc_.ResultsShown() && Ui_.Count == before && LoadMessages_ == 0;
    LoadMessages_ = 0;
    return ok;
  }

  void CountLoadMessages() { LoadMessages_ = Ui_.Count; }
  bool LoadedWithoutMessages() const { return LoadMessages_ == 0; }
  TCalculator& Calculator() { return Calc_; }

 private:
  // The conversion table for Conv, checked at once. A table that cannot be
  // read or fails its check leaves Conv refusing ("Please check
  // conversions"); the rest works. False when the file named on the command
  // line cannot be used.
  bool LoadConversions() {
    TConversionTable& table = Calc_.Conversions();
    const std::string path = Options_.Conversions ? *Options_.Conversions : FindProgramSiblingFile(".cnv");
    if (path.empty()) {
      table.UseDefaultTable();
      table.Check();
      return true;
    }
    Ui_.File = path;
    const bool read = table.Read(path);
    if (read) table.Check();
    Ui_.File.clear();
    return read || !Options_.Conversions;
  }

  const TOptions& Options_;
  TStandardErrorUi Ui_;
  TCalculator Calc_;
  int LoadMessages_ = 0;
};

// --derivative: the derivative, or the window's error line (exit 1).
int PrintDerivative(const TOptions& o, const std::string& expression) {
  TDifferentiation d;
  d.SetPowerAsOperator(!o.PowerFunction);
  std::cout << d.Differentiate(expression, *o.DerivativeVariable, o.Bracket) << '\n';
  return d.Failed() ? 1 : 0;
}

// --equivalent: the Test command's verdict and counters; its messages on
// standard error (exit 1).
int PrintEquivalence(const TOptions& o, const std::string& expression) {
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  if (o.Seed) {
    char* end = nullptr;
    seed = std::strtoull(o.Seed->c_str(), &end, 10);
    if (o.Seed->empty() || *end != '\0' || (*o.Seed)[0] == '-') BadUsage("--seed needs a whole number");
  }
  TStandardErrorUi ui;
  TEquivalenceTest test(ui);
  const TEquivalenceCounts counts = test.Compare(OneLineExpression(expression), OneLineExpression(*o.Equivalent), seed);
  std::cout << VerdictText(VerdictOf(counts)) << '\n' << CountsText(counts) << '\n';
  return ui.Count == 0 ? 0 : 1;
}

// Ctrl+C at the prompt: the line being typed is dropped, as shells do.
volatile std::sig_atomic_t g_PromptInterrupted = 0;

extern "C" void DropLineOnInterrupt(int) { g_PromptInterrupted = 1; }

// The line editor's key reader: one character (UTF-8 decoded) from the
// terminal. A Ctrl+C interrupts the wait (no SA_RESTART) and ends the line,
// which ReadLine then drops.
extern "C" int ReadKey(FILE*) {
  // Returns 1 for a byte, 0 at the end, -1 for an error, 2 for Ctrl+C. The
  // wait lets SIGINT in only while it sleeps, so that one arriving just
  // before it is seen too.
  auto readByte = [](unsigned char& byte) {
    sigset_t interrupt, others;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &others);
    int result = -1;
    for (;;) {
      if (g_PromptInterrupted) {
        result = 2;
        break;
      }
      pollfd input{STDIN_FILENO, POLLIN, 0};
      if (::ppoll(&input, 1, nullptr, &others) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      const ssize_t n = ::read(STDIN_FILENO, &byte, 1);
      if (n < 0 && errno == EINTR) continue;
      result = n == 1 ? 1 : n == 0 ? 0 : -1;
      break;
    }
    sigprocmask(SIG_SETMASK, &others, nullptr);
    return result;
  };
  unsigned char lead = 0;
  const int got = readByte(lead);
  if (got == 2) return '\n';
  if (got != 1) return EOF;
  const int length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
  if (length == 1) return lead;
  int code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    unsigned char next = 0;
    const int more = readByte(next);
    if (more == 2) return '\n';
    if (more != 1 || (next & 0xC0) != 0x80) return EOF;
    code = (code << 6) | (next & 0x3F);
  }
  return code;
}

bool ReadLine(bool interactive, std::string& line) {
  if (!interactive) return static_cast<bool>(std::getline(std::cin, line));
  for (;;) {
    struct sigaction action {
    }, previous{};
    action.sa_handler = DropLineOnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    g_PromptInterrupted = 0;
    char* text = readline("helmax> ");
    sigaction(SIGINT, &previous, nullptr);
    if (g_PromptInterrupted) {
      std::free(text);
      continue;
    }
    if (text == nullptr) return false;
    line = text;
    if (!line.empty()) add_history(text);
    std::free(text);
    return true;
  }
}

}  // namespace

static int Run(int argc, char** argv) {
  const TOptions options = ParseOptions(argc, argv);
  if (options.DerivativeVariable) return PrintDerivative(options, JoinExpressions(options.Expressions));
  if (options.Equivalent) return PrintEquivalence(options, JoinExpressions(options.Expressions));
  TCommandLine cli(options);
  std::string documentExpressions;
  if (!cli.Load(documentExpressions)) return 2;
  cli.CountLoadMessages();
  if (options.Integral) {
    const TRunGuard guard(cli.Calculator(), options.MaxSeconds);
    const int status =
        PrintIntegral(cli.Calculator(), *options.Integral, JoinExpressions(options.Expressions), options.Diagnostics);
    return status == 0 && cli.LoadedWithoutMessages() ? 0 : 1;
  }
  if (options.LinearSystem) {
    TCalculator& calc = cli.Calculator();
    const TSystemCommand command = options.Determinant ? TSystemCommand::Determinant
                                   : options.Inverse   ? TSystemCommand::Inverse
                                                       : TSystemCommand::Solve;
    const TRunGuard guard(calc, options.MaxSeconds);
    return RunLinearSystemCommand(*options.LinearSystem, command, calc.GetParameter(parDetTolerance),
                                  [&calc] { return calc.StopRequested(); });
  }

  if (!options.Expressions.empty()) return cli.Evaluate(JoinExpressions(options.Expressions)) ? 0 : 1;
  if (options.Document) return cli.Evaluate(documentExpressions) ? 0 : 1;

  const bool interactive = isatty(STDIN_FILENO) != 0;
  if (interactive) {
    // The line editor leaves Ctrl+C to the program (ReadKey).
    rl_catch_signals = 0;
    rl_getc_function = ReadKey;
  } else {
    // Ctrl+C while waiting for a line ends the reading (no SA_RESTART), and
    // the program with 130, as during an evaluation.
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }
  bool allShown = true;
  std::string line;
  while (ReadLine(interactive, line)) {
    allShown = cli.Evaluate(line) && allShown;
    // At the prompt Ctrl+C stops only the evaluation; reading a stream, it
    // ends the program once that evaluation has stopped.
    if (g_InterruptSeen && !interactive) return 130;
    g_InterruptSeen = 0;
  }
  if (g_InterruptSeen && !interactive) return 130;
  if (interactive) std::cout << '\n';
  return allShown ? 0 : 1;
}

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Said once, and never as a fault of the text being evaluated.
    std::cerr << "helmax-eval: out of memory\n";
    return 2;
  }
}
