// The fatal-error path seen from outside the process: the report on
// standard output, the debug stop's exchange and the exit statuses.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

ProcessResult Probe(std::vector<std::string> args, const std::string* input = nullptr) {
  args.insert(args.begin(), TRIPATH_FAULT_PROBE);
  return RunProcess(args, input, 60);
}

TEST(RuntimeErrorReport, WithoutAConsoleTheProcessEndsWithFailure) {
  ProcessResult r = Probe({"error", "Image frame outside surface"});
  EXPECT_EQ(r.out, "Quarry Runtime Error : Image frame outside surface\n\n");
  EXPECT_EQ(r.err, "{{~~~~}}\n\n");
  EXPECT_EQ(r.status, 255);
}

TEST(RuntimeErrorReport, AnEmptyMessageIsTheNormalWayToQuit) {
  ProcessResult r = Probe({"quit"});
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.status, 0);
}

TEST(RuntimeErrorReport, TheDebugStopAnswersItsCommands) {
  // "?" reads on, "@" describes an object, "r" runs on (and the error is
  // reported again, since it cannot be continued past), "q" quits with 0.
  std::string script = "?\n@0x1234\nr\ns\nq\n";
  ProcessResult r = Probe({"error", "boom"}, &script);
  const std::string report = "Quarry Runtime Error : boom\n\n";
  EXPECT_EQ(r.out, report + report + report);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("0x1234"), std::string::npos);

  std::string unknown = "x marks\n";
  r = Probe({"error", "boom"}, &unknown);
  EXPECT_EQ(r.out, report + "????? x marks ?????\n");
  EXPECT_EQ(r.status, 255);

  std::string unterminated = "r";
  r = Probe({"error", "boom"}, &unterminated);
  EXPECT_EQ(r.out, report);
  EXPECT_EQ(r.status, 255);
}

TEST(RuntimeErrorReport, HardwareFaultsBecomeRuntimeErrors) {
  struct Case {
    const char* mode;
    const char* message;
  } cases[] = {{"segv", "Memory access violation"},
               {"fpe", "Integer divide by zero"},
               {"ill", "Illegal instruction"},
               {"stack", "Stack overflow"}};
  for (const Case& c : cases) {
    ProcessResult r = Probe({c.mode});
    EXPECT_EQ(r.out, std::string("Quarry Runtime Error : ") + c.message + "\n\n") << c.mode;
    EXPECT_EQ(r.status, 255) << c.mode;
  }
}

TEST(RuntimeErrorReport, AnUncaughtGameExceptionEndsTheProcess) {
  ProcessResult r = Probe({"throw"});
  EXPECT_EQ(r.out, "Quarry Runtime Error : Uncaught Quarry Exception\n");
  EXPECT_EQ(r.status, 255);

  // One that escapes every guarded call still says what it was, and the
  // runtime then aborts as before.
  r = Probe({"escape"});
  EXPECT_NE(r.err.find("Quarry Runtime Error : Uncaught exception: Broken beyond repair\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.status, 128 + 6);  // SIGABRT
}

}  // namespace
