// Blog types that try to hang, exhaust or crash the program: their scripts run in
// a tocwerk-script-host child, which the controller kills or loses, and the
// controller goes on with a fresh one.
#include "crawl/Tentryparser.h"
#include "script/Tscriptcontroller.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string HostileScript =
    "function Hello(p) { return 'Hello ' + p; }\n"
    "function ToStringLoops(p) { return { toString: function () { while (true) {} } }; }\n"
    "function ThrowsLoopingObject(p) {\n"
    "  throw { toString: function () { while (true) {} }, get lineNumber() { while (true) {} } };\n"
    "}\n"
    "function Loop(p) { while (true) {} }\n"
    "function QuadraticRegex(p) { return p.replace(/<!--[\\s\\S]*?-->/g, '').length; }\n"
    "function DoubledString(p) { var s = 'x'; for (var i = 0; i < 40; i++) s += s; return s.length; }\n"
    "function HugeBuffer(p) { return new Uint8Array(3 * 1024 * 1024 * 1024).length; }\n"
    "function Quits(p) { quit(); }\n"
    "function ExitsThroughQt(p) { Qt.exit(1); }\n"
    "function ExitsThroughProcess(p) { process.exit(1); }\n"
    "function Hoards(p) { var all = []; while (true) all.push({ n: all.length, s: 'x' + all.length }); }\n";

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's shadow memory rules out the host's address-space limit.
constexpr bool MemoryIsLimited = false;
#else
constexpr bool MemoryIsLimited = true;
#endif

const std::string TimeOut = "0,0:スクリプトが制限時間(1000ミリ秒)を超えたため中断しました。";
const std::string OutOfMemory = "0,0:スクリプトがメモリの上限 (1024 MB) を超えたため止めました";

std::string BigUnclosedComments() {
  std::string page;
  while (page.size() < 2 * 1000 * 1000)
    page += "<!-- <p>unclosed</p>\n";
  return page;
}

} // namespace

TEST(ScriptHostTest, HostileScriptsEndWithTheirMessageAndTheNextCallWorks) {
  TScriptController controller;
  controller.LoadScript("JScript", HostileScript);
  ASSERT_FALSE(controller.HasError()) << controller.GetErrorText();
  struct Case {
    const char* Function;
    std::chrono::milliseconds TimeLimit;
    std::string Argument;
    std::string ErrorStart;  // the error text begins with this
  };
  const Case cases[] = {
      {"ToStringLoops", 1000ms, "\"\"", TimeOut},
      {"ThrowsLoopingObject", 1000ms, "\"\"", TimeOut},
      {"Loop", 1000ms, "\"\"", TimeOut},
      {"QuadraticRegex", 1000ms, QuoteScriptString(BigUnclosedComments()), TimeOut},
      {"DoubledString", 30000ms, "\"\"", OutOfMemory},
      {"Hoards", 30000ms, "\"\"", OutOfMemory},
      {"HugeBuffer", 30000ms, "\"\"", "9,0:RangeError: ArrayBuffer: out of memory"},
      {"Quits", 30000ms, "\"\"", "10,0:ReferenceError: quit is not defined"},
      {"ExitsThroughQt", 30000ms, "\"\"", "11,0:ReferenceError: Qt is not defined"},
      {"ExitsThroughProcess", 30000ms, "\"\"", "12,0:ReferenceError: process is not defined"},
  };
  for (const Case& c : cases) {
    if (!MemoryIsLimited && (c.ErrorStart == OutOfMemory || c.Function == std::string("HugeBuffer")))
      continue;
    controller.SetTimeLimit(c.TimeLimit);
    EXPECT_EQ(controller.Call(c.Function, c.Argument), "") << c.Function;
    EXPECT_TRUE(controller.HasError()) << c.Function;
    EXPECT_EQ(controller.GetErrorText().substr(0, c.ErrorStart.size()), c.ErrorStart)
        << c.Function << ": " << controller.GetErrorText();
    EXPECT_EQ(controller.Call("Hello", "\"again\""), "Hello again") << "after " << c.Function;
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorText();
  }
}

namespace {

// A stand-in host: a shell script that says these bytes and then waits for input.
std::string FakeHost(const TempFolder& folder, const std::string& printfBytes) {
  const std::string path = folder.File("fake-host");
  WriteFile(path, "#!/bin/sh\nprintf '" + printfBytes + "'\nexec cat >/dev/null\n");
  chmod(path.c_str(), 0700);
  return path;
}

const std::string Ready = "\\011\\0\\0\\0\\005\\0\\0\\0ready";

} // namespace

TEST(ScriptHostTest, AGarbledReplyIsReportedAndTheNextCallStartsAFreshHost) {
  const std::string realHost = GetScriptHostProgram();
  TempFolder folder;
  const char* const replies[] = {
      "garbage that is no message",
      "\\005\\0\\0\\0ready",
      "\\011\\0\\0\\0\\005\\0\\0\\0hello",
      // Ready, then a reply whose error line is no number.
      "\\011\\0\\0\\0\\005\\0\\0\\0ready\\030\\0\\0\\0\\0\\0\\0\\0\\001\\0\\0\\0\\061\\001\\0\\0\\0x\\001\\0\\0\\0y\\001\\0\\0\\0d",
      // Ready, then a reply of two fields, then one whose field is longer than it.
      "\\011\\0\\0\\0\\005\\0\\0\\0ready\\012\\0\\0\\0\\001\\0\\0\\0a\\001\\0\\0\\0b",
      "\\011\\0\\0\\0\\005\\0\\0\\0ready\\010\\0\\0\\0\\011\\0\\0\\0abcd",
  };
  for (const char* reply : replies) {
    SetScriptHostProgram(FakeHost(folder, reply));
    TScriptController controller;
    controller.LoadScript("JScript", "function Hello(p) { return 'Hello ' + p; }");
    EXPECT_EQ(controller.GetErrorText(), "0,0:スクリプトの実行プロセスの応答が壊れています") << reply;
    SetScriptHostProgram(realHost);
    EXPECT_EQ(controller.Call("Hello", "\"again\""), "Hello again") << reply;
  }
  SetScriptHostProgram(realHost);
}

// The kernel ends a host with the thread that started it.
TEST(ScriptHostTest, AHostStartedByAThreadThatEndedIsReplaced) {
  TScriptController controller;
  std::thread([&] { controller.LoadScript("JScript", "function Hello(p) { return 'Hello ' + p; }"); }).join();
  EXPECT_FALSE(controller.HasError()) << controller.GetErrorText();
  EXPECT_EQ(controller.Call("Hello", "\"again\""), "Hello again") << controller.GetErrorText();
}
