#include "script/Tscriptcontroller.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

const std::string Script =
    "function Hello(p) { return 'Hello ' + p; }\r\n"       // 1
    "function Number(p) { return 42.5; }\r\n"              // 2
    "function Nothing(p) { }\r\n"                          // 3
    "function Null(p) { return null; }\r\n"                // 4
    "function Broken(p) {\r\n"                             // 5
    "  var x = 1;\r\n"                                     // 6
    "  return missing.value;\r\n"                          // 7
    "}\r\n"                                                // 8
    "function Throws(p) {\r\n"                             // 9
    "  throw 'plain text';\r\n"                            // 10
    "}\r\n"                                                // 11
    "function Dollar(p) { /<b>(.*?)<\\/b>/.test(p); return RegExp.$1 + p.substr(0, 2); }\r\n"
    "function Loop(p) { while (true) {} }\r\n";

std::string ErrorOf(const std::string& language) {
  TScriptController controller;
  try {
    controller.LoadScript(language, Script);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

class ScriptControllerTest : public testing::Test {
protected:
  void SetUp() override { Controller.LoadScript("JScript", Script); }
  TScriptController Controller;
};

} // namespace

TEST_F(ScriptControllerTest, ValuesBecomeText) {
  EXPECT_EQ(Controller.Call("Hello", QuoteScriptString("日本")), "Hello 日本");
  EXPECT_FALSE(Controller.HasError());
  EXPECT_EQ(Controller.GetErrorText(), "");
  EXPECT_EQ(Controller.Call("Number", "\"\""), "42.5");
  EXPECT_EQ(Controller.Call("Nothing", "\"\""), "");
  EXPECT_EQ(Controller.Call("Null", "\"\""), "");
  EXPECT_FALSE(Controller.HasError());
  EXPECT_EQ(Controller.Call("Dollar", QuoteScriptString("ab<b>太字</b>")), "太字ab");
}

TEST_F(ScriptControllerTest, RuntimeErrorsGiveLineColumnAndDescription) {
  EXPECT_EQ(Controller.Call("Broken", "\"\""), "");
  EXPECT_TRUE(Controller.HasError());
  EXPECT_EQ(Controller.GetErrorText(), "7,0:ReferenceError: missing is not defined");
  Controller.Call("Throws", "\"\"");
  EXPECT_EQ(Controller.GetErrorText(), "10,0:plain text");
  Controller.Call("Undefined", "\"\"");
  EXPECT_TRUE(Controller.HasError());
  EXPECT_EQ(Controller.GetErrorText(), "1,0:ReferenceError: Undefined is not defined");
  EXPECT_EQ(Controller.Call("Hello", "\"x\""), "Hello x");
  EXPECT_FALSE(Controller.HasError());
  EXPECT_EQ(Controller.GetErrorText(), "");
}

TEST(ScriptControllerCompileTest, CompileErrorIsRecordedAndTheNextCallReportsItsOwn) {
  TScriptController controller;
  controller.LoadScript("jscript", "function Good() { return 1; }\nvar x = ;\n");
  EXPECT_TRUE(controller.HasError());
  EXPECT_EQ(controller.GetErrorText().substr(0, 2), "2,");
  EXPECT_NE(controller.GetErrorText().find("SyntaxError"), std::string::npos);
  controller.Call("Good", "");
  EXPECT_TRUE(controller.HasError());
  EXPECT_NE(controller.GetErrorText().find("Good is not defined"), std::string::npos);
}

TEST(ScriptControllerCompileTest, SecondLoadDiscardsTheFirstScript) {
  TScriptController controller;
  controller.LoadScript("JScript", "function A() { return 'a'; }");
  controller.LoadScript("JScript", "function B() { return 'b'; }");
  EXPECT_EQ(controller.Call("B", ""), "b");
  controller.Call("A", "");
  EXPECT_TRUE(controller.HasError());
}

TEST(ScriptControllerLanguageTest, ThreeNamesAnyCaseOthersNamedInTheMessage) {
  for (const char* language : {"JScript", "JSCRIPT", "javascript", "ECMAScript", "ecmascript"})
    EXPECT_EQ(ErrorOf(language), "no error") << language;
  EXPECT_NE(ErrorOf("VBScript").find("VBScript"), std::string::npos);
  EXPECT_NE(ErrorOf("").find("「」"), std::string::npos);
}

TEST(ScriptControllerLanguageTest, ScriptsSeeTheLanguageOnly) {
  TScriptController controller;
  controller.LoadScript("JScript",
                        "function Globals() { return [typeof XMLHttpRequest, typeof Qt, typeof require,"
                        " typeof print, typeof console, typeof gc, typeof quit, typeof load,"
                        " typeof readFile].join(','); }");
  EXPECT_EQ(controller.Call("Globals", ""),
            "undefined,undefined,undefined,undefined,undefined,undefined,undefined,undefined,undefined");
  controller.LoadScript("JScript", "function Import() { return import('/etc/hostname'); }");
  EXPECT_TRUE(controller.HasError());
}

TEST_F(ScriptControllerTest, EndlessLoopIsStoppedAtTheTimeLimitAndTheEngineStaysUsable) {
  Controller.SetTimeLimit(200ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Controller.Call("Loop", "\"\""), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_TRUE(Controller.HasError());
  EXPECT_NE(Controller.GetErrorText().find("制限時間"), std::string::npos);
  EXPECT_EQ(Controller.Call("Hello", "\"again\""), "Hello again");
  EXPECT_FALSE(Controller.HasError());
}

TEST(ScriptControllerTimeTest, EndlessLoopWhileLoadingIsStoppedToo) {
  TScriptController controller;
  controller.SetTimeLimit(200ms);
  controller.LoadScript("JScript", "function F() { return 'f'; }\nwhile (true) {}\n");
  EXPECT_TRUE(controller.HasError());
  EXPECT_NE(controller.GetErrorText().find("制限時間"), std::string::npos);
  // The killed host comes back with the same script, which loops again.
  EXPECT_EQ(controller.Call("F", ""), "");
  EXPECT_NE(controller.GetErrorText().find("制限時間"), std::string::npos);
}

TEST(ScriptControllerTimeTest, CallBeforeLoadThrows) {
  TScriptController controller;
  EXPECT_THROW(controller.Call("F", ""), std::runtime_error);
}

// A call with a double-quoted literal runs the function directly; any other
// argument text compiles the call expression. Both must end alike.
TEST(ScriptControllerDirectCallTest, DirectCallsEndAsTheCallExpressionDoes) {
  TScriptController controller;
  controller.LoadScript("JScript",
                        "var Native = RegExp;\r\n"
                        "function Outer(p) { return Inner(p) + 1; }\r\n"
                        "function Inner(p) { if (p == '(') throw new TypeError('bad ' + p);\r\n"
                        "  return p.length; }\r\n"
                        "function Plain(p) { throw p; }\r\n"
                        "function This(p) { return typeof this; }\r\n"
                        "function StrictThis(p) { 'use strict'; return typeof this; }\r\n"
                        "var Counter = 0;\r\n"
                        "function Count(p) { Counter++; if (p == '(') throw 'x'; return Counter; }\r\n");
  for (const char* function : {"Native", "Outer", "Plain", "This", "StrictThis", "Missing"}) {
    for (const char* argument : {"(", "ab"}) {
      const std::string direct = controller.Call(function, "\"" + std::string(argument) + "\"");
      const std::string directError = controller.GetErrorText();
      const std::string compiled = controller.Call(function, "'" + std::string(argument) + "'");
      EXPECT_EQ(direct, compiled) << function << "(" << argument << ")";
      EXPECT_EQ(directError, controller.GetErrorText()) << function << "(" << argument << ")";
    }
  }
  controller.Call("Native", "\"(\"");
  EXPECT_EQ(controller.GetErrorText(), "1,0:SyntaxError: Invalid regular expression");
  controller.Call("Outer", "\"(\"");
  EXPECT_EQ(controller.GetErrorText(), "3,0:TypeError: bad (");
  EXPECT_EQ(controller.Call("StrictThis", "\"\""), "undefined");
  EXPECT_EQ(controller.Call("Count", "\"(\""), "");
  EXPECT_EQ(controller.GetErrorText(), "9,0:x");
  EXPECT_EQ(controller.Call("Count", "\"a\""), "2") << "a failing call runs once";
}

// A page handed to several functions at once: each runs in turn under its own time
// limit, and the first error ends the list as it would have ended the parser's calls.
TEST(ScriptControllerListTest, FunctionsRunInTurnEachTimedAloneUntilTheFirstError) {
  TScriptController controller;
  controller.LoadScript("JScript",
                        "var calls = 0;\n"
                        "function Count(p) { calls++; return p + calls; }\n"
                        "function Throws(p) { calls++; throw new Error('壊れた'); }\n"
                        "function Slow(p) { var end = Date.now() + 600; while (Date.now() < end) {} return 'slow'; }\n"
                        "function Loop(p) { while (true) {} }\n"
                        "function Calls(p) { return calls; }\n");
  controller.SetTimeLimit(std::chrono::milliseconds(1000));
  struct Case {
    std::vector<std::string> Functions;
    std::vector<std::string> Values;
    std::string ErrorEnd;  // "" when the list ran through
  };
  const Case cases[] = {
      {{"Count", "Count", "Calls"}, {"p1", "p2", "2"}, ""},
      {{"Count", "Throws", "Count"}, {"p3"}, "Error: 壊れた"},
      {{"Calls", "Slow", "Slow", "Calls"}, {"4", "slow", "slow", "4"}, ""},
      {{"Count", "Loop", "Count"}, {"p5"}, "スクリプトが制限時間(1000ミリ秒)を超えたため中断しました。"},
      {{"Count"}, {"p1"}, ""},  // a host started again loads the script afresh
  };
  for (const Case& c : cases) {
    const std::vector<std::string> values = controller.CallEach(c.Functions, "'p'");
    EXPECT_EQ(values, c.Values) << c.Functions[1 % c.Functions.size()];
    const std::string error = controller.GetErrorText();
    EXPECT_TRUE(error.ends_with(c.ErrorEnd)) << error;
    EXPECT_EQ(controller.HasError(), !c.ErrorEnd.empty()) << error;
  }
}
