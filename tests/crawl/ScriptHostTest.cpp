// Blog types that try to hang, exhaust or crash the program: their scripts run in
// a tocwerk-script-host child, which the controller kills or loses, and the
// controller goes on with a fresh one.
#include "crawl/Tentryparser.h"
#include "script/Tscriptcontroller.h"

#include <gtest/gtest.h>

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
    "function ExitsThroughProcess(p) { process.exit(1); }\n";

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's shadow memory rules out the host's address-space limit.
constexpr bool MemoryIsLimited = false;
#else
constexpr bool MemoryIsLimited = true;
#endif

const std::string TimeOut = "0,0:スクリプトが制限時間(1000ミリ秒)を超えたため中断しました。";
const std::string Died = "0,0:スクリプトの実行プロセスが異常終了しました (";

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
      {"DoubledString", 30000ms, "\"\"", Died},
      {"HugeBuffer", 30000ms, "\"\"", "9,0:RangeError: ArrayBuffer: out of memory"},
      {"Quits", 30000ms, "\"\"", "10,0:ReferenceError: quit is not defined"},
      {"ExitsThroughQt", 30000ms, "\"\"", "11,0:ReferenceError: Qt is not defined"},
      {"ExitsThroughProcess", 30000ms, "\"\"", "12,0:ReferenceError: process is not defined"},
  };
  for (const Case& c : cases) {
    if (!MemoryIsLimited && (c.Function == std::string("DoubledString") || c.Function == std::string("HugeBuffer")))
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
