// helmax-eval run as a separate process: arguments, standard input, exit
// statuses and files that cannot be used.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "../common/TempFolder.h"

namespace {

using helmax::test::ReadBytes;
using helmax::test::TTempFolder;
using helmax::test::WriteBytes;

struct TRun {
  std::string Out, Err;
  int Status = -1;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs helmax-eval with arguments and standard input; captures both outputs.
TRun RunEval(const std::vector<std::string>& args, const std::string& input = "") {
  TTempFolder dir;
  WriteBytes(dir.File("in"), input);
  std::string cmd = "cd " + Quote(dir.Folder()) + " && " + Quote(HELMAX_EVAL);
  for (const std::string& a : args) cmd += " " + Quote(a);
  cmd += " <in >out 2>err";
  const int raw = std::system(cmd.c_str());
  TRun r;
  r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.Out = ReadBytes(dir.File("out"));
  r.Err = ReadBytes(dir.File("err"));
  // It writes no file of its own.
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path)) files += e.is_regular_file();
  EXPECT_EQ(files, 3u) << "files written beside the calculator";
  return r;
}

TEST(CommandLine, ExpressionsFromArguments) {
  const TRun r = RunEval({"f(2)", "Fact(5)", "y*3"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "0.909297426825682\n120\n1\n");
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(RunEval({"-5*2"}).Out, "-10\n");
  EXPECT_EQ(RunEval({"--", "-d"}).Status, 1);  // an expression, not an option
}

TEST(CommandLine, ErrorsAndMessages) {
  TRun r = RunEval({"1/0"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "Division by 0\n");
  r = RunEval({"--no-error-message", "1/0"});
  EXPECT_EQ(r.Out, "ERROR\n");
  EXPECT_EQ(r.Status, 1);
  r = RunEval({"-d", "y=", "1"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Please corect user definitions\n");
  r = RunEval({"-v", "from", "1"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Please correct function varable name\n"), std::string::npos);
  r = RunEval({"-k", "c = 2 //speed = fast; k = 3;", "k"});
  EXPECT_EQ(r.Out, "3\n");
  EXPECT_EQ(r.Err, "Bad constants section : missing ';' :  2 //speed = fast\n");
  EXPECT_EQ(r.Status, 1);
  // A refused constant: its message and nothing else on standard error.
  r = RunEval({"-k", "c = 1/0;", "1"});
  EXPECT_EQ(r.Out, "1\n");
  EXPECT_EQ(r.Err, "Invalid expression : 1/0\n");
}

TEST(CommandLine, OptionsShapeTheCalculator) {
  TRun r = RunEval({"-k", "c = 3 //light;", "-d", "g(t)~t*c", "-v", "t", "g(2), t", "--diagnostics"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "6\n-NAN\n");
  EXPECT_EQ(r.Err, "code=0 kind=-1 message=\n");
  r = RunEval({"--currency", "1/3", "Sin(1)"});
  EXPECT_EQ(r.Out, "0.3333\nNot Currency\n");
  r = RunEval({"--diagnostics", "1/0"});
  EXPECT_EQ(r.Err.rfind("code=-26 kind=4 message=", 0), 0u) << r.Err;
}

TEST(CommandLine, StandardInputLineByLine) {
  const TRun r = RunEval({}, "1+1\nx=2\nz=3,z*2\n");
  EXPECT_EQ(r.Out, "2\nCannot set value for protected expression :  x\n3\n6\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(RunEval({}, "2*f(y)\r\n").Status, 0);
}

TEST(CommandLine, PromptsAtATerminal) {
  // script(1) gives the calculator a terminal as its standard input.
  TTempFolder dir;
  WriteBytes(dir.File("in"), "1+1\nf(2)\n");
  const std::string cmd = "script -qfec " + Quote(Quote(HELMAX_EVAL)) + " /dev/null <" + Quote(dir.File("in")) + " >" +
                          Quote(dir.File("out")) + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string out = ReadBytes(dir.File("out"));
  EXPECT_NE(out.find("helmax> "), std::string::npos) << out;
  EXPECT_NE(out.find("\n2\r"), std::string::npos) << out;
  EXPECT_NE(out.find("0.909297426825682"), std::string::npos) << out;
  // Without a terminal there is no prompt.
  EXPECT_EQ(RunEval({}, "1+1\n").Out, "2\n");
}

// Files that are no regular text file of a sane size are refused at once
// (a FIFO without a writer is not waited on), with exit status 2.
TEST(CommandLine, FilesThatCannotBeReadAreRefused) {
  TTempFolder dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  WriteBytes(dir.File("big.txt"), std::string(8 * 1024 * 1024 + 1, '\n'));
  WriteBytes(dir.File("big.cnv"), std::string(1024 * 1024 + 1, '\n'));
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"-f", "/dev/zero"}, "helmax-eval: Cannot read file \"/dev/zero\". It is not a regular file\n"},
      {{"-f", dir.File("fifo")},
       "helmax-eval: Cannot read file \"" + dir.File("fifo") + "\". It is not a regular file\n"},
      {{"-f", dir.Path}, "helmax-eval: Cannot read file \"" + dir.Path + "\". It is not a regular file\n"},
      {{"-f", dir.File("big.txt")},
       "helmax-eval: Cannot read file \"" + dir.File("big.txt") + "\". It is too large (more than 8 MB)\n"},
      {{"--conversions", "/dev/urandom", "1"},
       "helmax-eval: Cannot read file \"/dev/urandom\". It is not a regular file\n"},
      {{"--conversions", dir.File("big.cnv"), "1"},
       "helmax-eval: Cannot read file \"" + dir.File("big.cnv") + "\". It is too large (more than 1 MB)\n"},
  };
  for (const auto& row : rows) {
    const TRun r = RunEval(row.args);
    EXPECT_EQ(r.Status, 2) << row.args[1];
    EXPECT_EQ(r.Err, row.err);
    EXPECT_EQ(r.Out, "");
  }
}

// Reading a pipe, Ctrl+C ends the program with 130 even while it waits for
// a line.
TEST(CommandLine, InterruptWhileReadingAPipeExits130) {
  int input[2], output[2];
  ASSERT_EQ(::pipe(input), 0);
  ASSERT_EQ(::pipe(output), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(input[0], STDIN_FILENO);
    ::dup2(output[1], STDOUT_FILENO);
    ::close(input[1]);
    ::close(output[0]);
    ::execl(HELMAX_EVAL, HELMAX_EVAL, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  ASSERT_EQ(::write(input[1], "1+1\n", 4), 4);
  // Once the line's result is out it waits for the next line.
  char result[2] = {};
  ASSERT_EQ(::read(output[0], result, 2), 2);
  EXPECT_EQ(std::string(result, 2), "2\n");
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(input[1]);
  ::close(output[0]);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 130);
}

// At a terminal, Ctrl+C drops the line being typed and the prompt comes
// back; the program reads on.
TEST(CommandLine, InterruptAtThePromptDropsTheLine) {
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::execl(HELMAX_EVAL, HELMAX_EVAL, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string seen;
  // Reads what the terminal shows until text appears (or 10 s pass).
  auto waitFor = [&](const std::string& text) {
    for (int waited = 0; waited < 1000 && seen.find(text) == std::string::npos; ++waited) {
      pollfd ready{terminal, POLLIN, 0};
      if (::poll(&ready, 1, 10) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(terminal, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<std::size_t>(n));
    }
    return seen.find(text) != std::string::npos;
  };
  // Keys go only to the line editor: once it has put the terminal in its
  // own mode (typed ahead, the terminal would echo and buffer them itself).
  auto send = [&](const std::string& keys) {
    termios mode{};
    for (int waited = 0; waited < 1000 && ::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ICANON) != 0; ++waited)
      ::usleep(10000);
    ASSERT_EQ(mode.c_lflag & ICANON, 0u) << "the line editor never read keys";
    ASSERT_EQ(::write(terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  };
  ASSERT_TRUE(waitFor("helmax> ")) << seen;
  seen.clear();
  send("7*");
  ASSERT_TRUE(waitFor("7*")) << seen;
  send("\x03");  // Ctrl+C: the terminal sends SIGINT
  ASSERT_TRUE(waitFor("helmax> ")) << seen;
  seen.clear();
  send("6*7\r");
  EXPECT_TRUE(waitFor("42")) << seen;
  EXPECT_TRUE(waitFor("helmax> ")) << seen;
  EXPECT_EQ(seen.find("Invalid"), std::string::npos) << seen;
  send("\x04");
  int status = 0;
  pid_t ended = 0;
  for (int waited = 0; waited < 1000 && (ended = ::waitpid(child, &status, WNOHANG)) == 0; ++waited) ::usleep(10000);
  if (ended == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  ::close(terminal);
  ASSERT_EQ(ended, child) << "the program did not end at the end of input";
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(CommandLine, Documents) {
  TTempFolder dir;
  const std::string doc = dir.File("doc.txt");
  WriteBytes(doc, "Constants\r\n{\r\nc = 2;\r\n}\r\n{\r\nx\r\n}\r\n{\r\ny=c*5\r\n}\r\n{\r\ny+1,\r\ny\r\n}\r\n");
  TRun r = RunEval({"-f", doc});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "11\n10\n");
  r = RunEval({"--document=" + doc, "y*2"});
  EXPECT_EQ(r.Out, "20\n");

  WriteBytes(doc, "{}{x}{y=1}");
  r = RunEval({"-f", doc});
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "helmax-eval: " + doc + ": Bad file format\n");
  r = RunEval({"-f", dir.File("missing.txt")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("missing.txt"), std::string::npos);
}

// Conv converts with the built-in table, with a table given on the command
// line, or with the one beside the program; each is checked at start.
TEST(CommandLine, ConversionTables) {
  TRun r = RunEval({"Conv(9, 2, 3, 212)"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "373.15\n");
  EXPECT_EQ(r.Err, "");

  TTempFolder dir;
  const std::string speed = dir.File("speed.cnv");
  WriteBytes(speed, "[Speed]\r\n1=m/s : km/h : x*3.6 : x/3.6\r\n2=knots : km/h : x*1.852 : x/1.852\r\n");
  r = RunEval({"--conversions", speed, "Conv(1, 1, 3, 36)"});
  EXPECT_EQ(r.Out, "10\n");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(RunEval({"--conversions=" + speed, "Conv(9, 2, 3, 212)"}).Out,
            "Invalid value for CONV :  incorrect id of unit category  : 9 : NONMATH\n");

  // A table that fails its check: its message, Conv refuses, the rest works.
  const std::string twice = dir.File("twice.cnv");
  WriteBytes(twice, "[Speed]\r\n1=m/s : km/h : x*3.6 : x/3.6\r\n2=km/h : m/s : x/3.6 : x*3.6\r\n");
  r = RunEval({"--conversions", twice}, "Conv(1, 1, 2, 36)\n1+1\n");
  EXPECT_EQ(r.Out, "Invalid value for CONV :  please check conversions : NONMATH\n2\n");
  EXPECT_EQ(r.Err,
            "helmax-eval: " + twice + ": Error in category : Speed : Row# 1 and Row#2 : rows cannot be identical\n");
  EXPECT_EQ(r.Status, 1);

  // A file that cannot be used is bad usage.
  for (const std::string& bad : {dir.File("missing.cnv"), dir.Folder()}) {
    r = RunEval({"--conversions", bad, "1"});
    EXPECT_EQ(r.Status, 2) << bad;
    EXPECT_EQ(r.Out, "");
  }
  WriteBytes(dir.File("dup.cnv"), "[A]\r\n1=a : b : x : x\r\n[a]\r\n1=a : b : x : x\r\n");
  r = RunEval({"--conversions", dir.File("dup.cnv"), "1"});
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "helmax-eval: " + dir.File("dup.cnv") + ": String list does not allow duplicates\n");

  // The table beside the program, named like it.
  const std::string copy = dir.File("helmax-eval");
  std::filesystem::copy_file(HELMAX_EVAL, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  WriteBytes(dir.File("helmax-eval.cnv"), ReadBytes(speed));
  const std::string cmd = Quote(copy) + " 'Conv(1, 1, 2, 1.852)' >" + Quote(dir.File("out")) + " 2>&1";
  std::system(cmd.c_str());
  EXPECT_EQ(ReadBytes(dir.File("out")), "1\n");
}

TEST(CommandLine, Usage) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--bogus"}, {"-d"}, {"--currency=1"}}) {
    const TRun r = RunEval(args);
    EXPECT_EQ(r.Status, 2) << args[0];
    EXPECT_NE(r.Err.find("helmax-eval --help"), std::string::npos);
  }
  TRun r = RunEval({"--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out.rfind("Usage: helmax-eval [OPTIONS] [EXPRESSIONS]\n", 0), 0u);
  r = RunEval({"--version"});
  EXPECT_EQ(r.Out.rfind("helmax-eval ", 0), 0u);
}

// An evaluation that would run for ages ends with its line when its time
// is up, or at Ctrl+C; the program goes on to the next pane.
TEST(CommandLine, LongEvaluationsCanBeStopped) {
  const std::string fib = "fib(n)~if(ls(n,2),n,fib(n-1)+fib(n-2))";
  TRun r = RunEval({"--max-seconds", "0.2", "-d", fib}, "fib(60)\n1+1\n");
  EXPECT_EQ(r.Out, "Calculation stopped: too long\n2\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(RunEval({"--max-seconds", "0"}).Status, 2);

  TTempFolder dir;
  const std::string cmd = "cd " + Quote(dir.Folder()) + " && { " + Quote(HELMAX_EVAL) + " --max-seconds 60 -d " +
                          Quote(fib) + " 'fib(60)' >out 2>err & pid=$!; sleep 1; kill -INT $pid; wait $pid; " +
                          "echo $? >status; }";
  std::system(cmd.c_str());
  EXPECT_EQ(ReadBytes(dir.File("out")), "Calculation stopped\n");
  EXPECT_EQ(ReadBytes(dir.File("status")), "1\n");
}

TEST(CommandLine, Derivative) {
  TRun r = RunEval({"--derivative", "x", "x^2*sin(x)"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "((2*x)*sin(x))+((x^2)*cos(x))\n");
  EXPECT_EQ(r.Err, "");
  // The window's engine: no definitions (f and y are not the default
  // document's), names declared by use, line breaks removed.
  EXPECT_EQ(RunEval({"--derivative", "y", "f(y)~y^2,\r\nf(y)"}).Out, "f(y)~y^2,f(y)'\n");
  EXPECT_EQ(RunEval({"--derivative", "x", "--bracket", "sin(x)+cos(x)"}).Out, "Cos[x]-Sin[x]\n");
  EXPECT_EQ(RunEval({"--derivative", "x", "--power-function", "x^3"}).Out, "3*power(x,2)\n");
  EXPECT_EQ(RunEval({"--derivative", "x", "abs(x)"}).Out, "nan\n");
  r = RunEval({"--derivative", "x", "x^"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out.rfind("Syntax error", 0), 0u) << r.Out;
  r = RunEval({"--derivative", "sin", "x"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "Invalid name of derivative variable :  sin\n");
}

TEST(CommandLine, Equivalent) {
  TRun r = RunEval({"--equivalent", "1", "sin(x)^2+cos(x)^2", "--seed", "12"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out.substr(0, 4), "Yes\n");
  EXPECT_EQ(r.Out.find("equal="), 4u);
  EXPECT_EQ(r.Err, "");
  // The same seed, the same counters.
  EXPECT_EQ(RunEval({"--equivalent", "4*x", "(x+1)^2-(x-1)^2", "--seed", "3"}).Out,
            RunEval({"--seed=3", "--equivalent=4*x", "(x+1)^2-(x-1)^2"}).Out);
  EXPECT_EQ(RunEval({"--equivalent", "-x", "x"}).Out.substr(0, 3), "No\n");
  r = RunEval({"--equivalent", "1", "1/0"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "Indeterminate\nequal=0 unequal=0 counted=0\n");
  EXPECT_EQ(r.Err, "First expression -> Division by 0\n");
  r = RunEval({"--equivalent", "x,y", "x"});
  EXPECT_EQ(r.Err, "Second expression -> Please insert only one expression\n");
}

TEST(CommandLine, DerivativeAndEquivalenceUsage) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--derivative", "x"},
                                             {"--equivalent", "1"},
                                             {"--bracket", "x"},
                                             {"--power-function", "x"},
                                             {"--seed", "1", "x"},
                                             {"--derivative", "x", "--equivalent", "1", "x"},
                                             {"--equivalent", "1", "--seed", "-4", "x"},
                                             {"--equivalent", "1", "--seed", "4x", "x"}}) {
    const TRun r = RunEval(args);
    EXPECT_EQ(r.Status, 2) << args[0];
    EXPECT_NE(r.Err.find("helmax-eval --help"), std::string::npos);
  }
}

TEST(CommandLine, IntegralAsTheWindowShowsIt) {
  // Limits are expressions; the definitions' f and y are there.
  TRun r = RunEval({"--integral", "0", "pi/2", "f(x)*y"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "0.333333333333333\n");
  EXPECT_EQ(r.Err, "");
  r = RunEval({"-v", "t", "--diagnostics", "--tolerance", "1e-6", "--integral", "0", "1", "1/sqrt(t)"});
  EXPECT_EQ(r.Out, "1.99999999900713\n");
  EXPECT_EQ(r.Err, "evaluations=3069 error=1.42593411274854E-6\n");
  // Infinite limits, -inf taken as a limit, not as an option.
  r = RunEval({"--diagnostics", "--integral", "-inf", "0", "exp(x)"});
  EXPECT_EQ(r.Out, "1\n");
  EXPECT_EQ(r.Err, "evaluations=269 error=4.44089209850063E-16\n");
  r = RunEval({"--integral", "1", "inf", "1/x"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err,
            "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the function does not fall off "
            "fast enough towards x = INF\n");
  // Failures: the window's text on standard error.
  r = RunEval({"--integral", "-0.1", "1", "sqrt(x)"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err,
            "Function: Invalid value for SQRT :  sqrt( -0.0214285714285714)  : InvalidOp at x = -0.0214285714285714\n");
  r = RunEval({"--tolerance=1e-16", "--integral", "1e6", "1e6+1", "x^2"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "DGAINT-> Tolerance below the precision of doubles: 1E-16 (the smallest is 2.22044604925031E-16)\n");
  r = RunEval({"-d", "y=", "--integral", "0", "1", "x"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Please corect user definitions\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--integral", "0", "1"},
                                             {"--integral", "0"},
                                             {"--tolerance", "1e-5", "x"},
                                             {"--integral", "0", "1", "--tolerance", "small", "x"},
                                             {"--integral", "0", "1", "--derivative", "x", "x"}}) {
    r = RunEval(args);
    EXPECT_EQ(r.Status, 2) << args.back();
    EXPECT_NE(r.Err.find("helmax-eval --help"), std::string::npos);
  }
}

// --linear-system: what the System Solver window shows, its failures on
// standard error.
TEST(CommandLine, LinearSystem) {
  TTempFolder files;
  auto system = [&](const std::string& name, const std::string& variables, const std::string& equations) {
    WriteBytes(files.File(name), "List of variables\r\n{\r\n" + variables +
                                     "\r\n}\r\n\r\nSystem of linear equatins\r\n{\r\n" + equations + "\r\n}\r\n");
    return files.File(name);
  };
  const std::string two = system("two.sle", "x,y", "x+2*y-5,\r\n3*x+4*y-11");
  const std::string tiny = system("tiny.sle", "x,y", "1e-300*x+1e-300*y,\r\n1e-300*x-1e-300*y-1e-300");
  const std::string singular = system("singular.sle", "x,y", "x+y,\r\n2*x+2*y-1");
  const std::string nonlinear = system("nonlinear.sle", "x,y", "x*y-1,\r\nx-y");
  WriteBytes(files.File("bad.sle"), "List of variables\r\n}\r\nx\r\n{\r\n");
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::string Out, Err;
  };
  for (const TCase& c : std::vector<TCase>{
           {{"--linear-system", two}, 0, "Solution:\nx = 1\ny = 2\n", ""},
           {{"--linear-system", two, "--determinant"}, 0, "Determinant = -2\n", ""},
           {{"--inverse", "--linear-system", two},
            0,
            "Inverse  matrix :\n-2.00000000000000E+0   1.00000000000000E+0   \n"
            "1.50000000000000E+0   -5.00000000000000E-1   \n",
            ""},
           {{"--linear-system", tiny, "--determinant"}, 0, "Determinant = -2E-600\n", ""},
           {{"--linear-system", tiny}, 0, "Solution:\nx = 0.5\ny = -0.5\n", ""},
           // The constants' dettolerance decides.
           {{"-k", "dettolerance = 0.9;", "--linear-system", two},
            1,
            "",
            "System is ill conditioned: Determinat is -2\n"},
           {{"--linear-system", singular}, 1, "", "System is ill conditioned: Determinat is zero\n"},
           {{"--linear-system", nonlinear}, 1, "", "System of equations is not linear\n"},
           {{"--linear-system", files.File("bad.sle")}, 2, "", "helmax-eval: Bad file format\n"},
       }) {
    SCOPED_TRACE(c.Args.back());
    const TRun r = RunEval(c.Args);
    EXPECT_EQ(r.Status, c.Status);
    EXPECT_EQ(r.Out, c.Out);
    EXPECT_EQ(r.Err, c.Err);
  }
  EXPECT_EQ(RunEval({"--linear-system", files.File("missing.sle")}).Status, 2);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--determinant"},
                                             {"--linear-system", two, "--determinant", "--inverse"},
                                             {"--linear-system", two, "x+1"},
                                             {"--linear-system"}}) {
    const TRun r = RunEval(args);
    EXPECT_EQ(r.Status, 2) << args[0];
    EXPECT_NE(r.Err.find("helmax-eval --help"), std::string::npos);
  }
}

// Every "$ helmax-eval ..." example of the README, run through the shell as
// a reader would run it, prints the lines written under it.
TEST(Readme, HelmaxEvalExamplesPrintWhatTheReadmeShows) {
  struct TExample {
    std::string Command, Output;
  };
  std::vector<TExample> examples;
  bool inExample = false;  // lines under a command are its output, up to the block's end
  std::istringstream readme(ReadBytes(HELMAX_README));
  for (std::string line; std::getline(readme, line);) {
    const bool command = line.rfind("    $ ", 0) == 0;
    if (command && line.find("helmax-eval") != std::string::npos) {
      examples.push_back({line.substr(6), ""});
      inExample = true;
    } else if (inExample && line.rfind("    ", 0) == 0 && !command) {
      examples.back().Output += line.substr(4) + "\n";
    } else {
      inExample = false;
    }
  }
  const std::string bin = std::filesystem::path(HELMAX_EVAL).parent_path().string();
  int run = 0;
  for (const TExample& e : examples) {
    SCOPED_TRACE(e.Command);
    TTempFolder dir;
    const std::string cmd =
        "cd " + Quote(dir.Folder()) + " && PATH=" + Quote(bin) + ":\"$PATH\" sh -c " + Quote(e.Command) + " >out 2>err";
    std::system(cmd.c_str());
    EXPECT_EQ(ReadBytes(dir.File("out")), e.Output);
    ++run;
  }
  EXPECT_GE(run, 12);
}

}  // namespace
