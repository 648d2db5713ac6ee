// A template program while it runs and after: its notice in the status bar with
// 中止 and then ブラウザで開く, what closing the window does to it, the bounded box
// of its standard error, and its generation database file.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "app/Toutputnotice.h"
#include "ui/Telidedlabel.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using namespace Qt::StringLiterals;

// Each program writes its pid and that of a child it leaves in the background
// next to its output file, waits for "<output>.go", then writes the output.
const char* const Waiting =
    "#!/bin/sh\nsleep 1000 &\necho $! > \"$2.child\"\necho $$ > \"$2.pid\"\n"
    "while [ ! -e \"$2.go\" ]; do sleep 0.05; done\nkill $!\necho '<html>' > \"$2\"\n";
const char* const Stubborn =
    "#!/bin/sh\ntrap '' TERM\nsleep 1000 &\necho $! > \"$2.child\"\necho $$ > \"$2.pid\"\n"
    "while [ ! -e \"$2.go\" ]; do sleep 0.05; done\n";

class HtmlPageRunTest : public MainWindowFixture {
protected:
  // A template folder holding these shell scripts as templates of the same names.
  std::string Templates(const std::vector<std::pair<std::string, std::string>>& scripts) {
    const std::string folder = EmptyFolder();
    for (const auto& [name, script] : scripts) {
      WriteFile(folder + name + ".ini", "[TEMPLATE]\nname=" + name + "\nexe=" + name + ".sh\n[CONFIG]\n1=タイトル\n");
      WriteFile(folder + name + ".sh", script);
      fs::permissions(folder + name + ".sh", fs::perms::owner_all);
    }
    return folder;
  }

  // Makes the table of contents with this template into this file.
  void Make(TFormMain& window, const char* templateName, const std::string& output) {
    QComboBox* list = window.GetUi().ComboBoxHtmlTemplate;
    const int index = list->findText(QString::fromLatin1(templateName));
    ASSERT_GE(index, 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    if (Prompts)
      Prompts->ExpectSaveFile(QString::fromStdString(output));
    Trigger(window, "ActionHtmlMake");
  }

  static QList<TOutputNotice*> Notices(TFormMain& window) { return window.findChildren<TOutputNotice*>(); }

  static TOutputNotice* NoticeFor(TFormMain& window, const std::string& output) {
    for (TOutputNotice* notice : Notices(window))
      if (notice->findChild<TElidedLabel*>(u"LabelOutputNotice"_s)->GetFullText().contains(QString::fromStdString(output)))
        return notice;
    return nullptr;
  }

  static QString TextOf(TOutputNotice* notice) {
    return notice ? notice->findChild<TElidedLabel*>(u"LabelOutputNotice"_s)->GetFullText() : QString();
  }

  // The pid a program wrote into this file, once it is there.
  static pid_t PidIn(const std::string& file) {
    pid_t pid = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          std::ifstream in(file);
          return static_cast<bool>(in >> pid);
        },
        30000))
        << file;
    return pid;
  }

  // Running, and not a zombie waiting for its parent.
  static bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
      return false;
    const auto state = line.rfind(')');
    return state != std::string::npos && line.compare(state + 2, 1, "Z") != 0;
  }

  static bool Ends(pid_t pid) {
    return QTest::qWaitFor([pid] { return !Alive(pid); }, 30000);
  }

  std::vector<std::string> GenerationFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Temp.Path()))
      if (entry.path().filename().string().rfind("tocwerk-gen-", 0) == 0)
        files.push_back(entry.path().string());
    return files;
  }

  TempFolder Temp;
  ScopedEnv TempVariable{"TMPDIR", Temp.Path()};
};

TEST_F(HtmlPageRunTest, EachRunHasItsNoticeAndStopEndsItsProgramAndChildren) {
  TFormMain& window = StartWindow({}, Templates({{"waiting", Waiting}, {"stubborn", Stubborn}}));
  struct Run {
    const char* Template;
    std::string Output;
    pid_t Program = 0;
    pid_t Child = 0;
  };
  std::vector<Run> runs = {{"waiting", Files.File("a.html")}, {"stubborn", Files.File("b.html")},
                           {"waiting", Files.File("c.html")}};
  for (Run& run : runs) {
    Make(window, run.Template, run.Output);
    run.Program = PidIn(run.Output + ".pid");
    run.Child = PidIn(run.Output + ".child");
  }
  ASSERT_EQ(Notices(window).size(), 3);
  EXPECT_EQ(GenerationFiles().size(), 3u) << "each program reads its own generation database";
  for (const Run& run : runs) {
    TOutputNotice* notice = NoticeFor(window, run.Output);
    ASSERT_NE(notice, nullptr) << run.Output;
    EXPECT_TRUE(TextOf(notice).startsWith(u"目次を作成しています"_s));
    auto* stop = notice->findChild<QPushButton*>(u"ButtonStopTemplate"_s);
    ASSERT_NE(stop, nullptr);
    EXPECT_TRUE(stop->isVisible());
  }

  // 中止 ends the program and what it started, also one that ignores SIGTERM.
  for (const Run& run : {runs[0], runs[1]}) {
    SCOPED_TRACE(run.Template);
    NoticeFor(window, run.Output)->findChild<QPushButton*>(u"ButtonStopTemplate"_s)->click();
    EXPECT_TRUE(Ends(run.Program));
    EXPECT_TRUE(Ends(run.Child));
    EXPECT_TRUE(QTest::qWaitFor([&] { return NoticeFor(window, run.Output) == nullptr; }, 30000));
  }
  EXPECT_TRUE(TextOf(NoticeFor(window, runs[2].Output)).startsWith(u"目次を作成しています"_s))
      << "the other run keeps its notice";

  WriteFile(runs[2].Output + ".go", "");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return TextOf(NoticeFor(window, runs[2].Output)).startsWith(u"目次を作成しました"_s); }, 30000));
  EXPECT_TRUE(GenerationFiles().empty());
}

TEST_F(HtmlPageRunTest, ClosingWhileAProgramRunsAsks) {
  const std::string templates = Templates({{"waiting", Waiting}});
  enum Answer { Wait, Stop, Leave, Cancel };
  const std::vector<Answer> answers = {Cancel, Wait, Stop, Leave};
  int count = 0;
  for (const Answer answer : answers) {
    SCOPED_TRACE(answer);
    TFormMain& window = StartWindow({}, templates);
    const std::string output = Files.File("close" + std::to_string(++count) + ".html");
    Make(window, "waiting", output);
    const pid_t program = PidIn(output + ".pid");
    const pid_t child = PidIn(output + ".child");

    Prompts->ExpectChoice(u"テンプレートプログラムが実行中です。"_s,
                          answer == Cancel ? std::nullopt : std::optional<int>(answer));
    const bool closed = window.close();
    EXPECT_EQ(closed, answer == Leave);
    switch (answer) {
    case Cancel:
      EXPECT_TRUE(window.isVisible());
      EXPECT_TRUE(Alive(program));
      NoticeFor(window, output)->findChild<QPushButton*>(u"ButtonStopTemplate"_s)->click();
      EXPECT_TRUE(Ends(program));
      break;
    case Wait:
      EXPECT_TRUE(window.isVisible());
      EXPECT_TRUE(Alive(program));
      WriteFile(output + ".go", "");
      EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 30000)) << "closes when the program ends";
      EXPECT_EQ(ReadFile(output), "<html>\n");
      break;
    case Stop:
      EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 30000));
      EXPECT_TRUE(Ends(program));
      EXPECT_TRUE(Ends(child));
      break;
    case Leave: {
      Windows.clear();
      EXPECT_TRUE(Alive(program)) << "it outlives the window";
      ASSERT_EQ(GenerationFiles().size(), 1u);
      const std::string database = GenerationFiles().front();
      // A running program's database stays, however old it looks.
      fs::last_write_time(database, fs::file_time_type::clock::now() - std::chrono::minutes(5));
      StartWindow({}, templates);
      EXPECT_TRUE(fs::exists(database));
      WriteFile(output + ".go", "");
      EXPECT_TRUE(Ends(program));
      EXPECT_EQ(ReadFile(output), "<html>\n") << "writing to standard error did not end it";
      EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(database); }, 10000))
          << "once it has ended its database goes, with no window open";
      break;
    }
    }
    Windows.clear();
    EXPECT_TRUE(GenerationFiles().empty());
  }
}

// A program that writes much to standard error: the box shows the last lines as
// plain text, keeps the last part behind 詳細, and fits on the screen.
TEST_F(HtmlPageRunTest, TheBoxOfALongStandardErrorStaysSmall) {
  const std::string script =
      "#!/bin/sh\nhead -c 300000 /dev/zero | tr '\\0' 'x' >&2\necho >&2\n"
      "i=1; while [ $i -le 300 ]; do printf '<b>行 %03d</b>\\n' $i >&2; i=$((i+1)); done\nexit 3\n";
  TFormMain& window = StartWindow({}, Templates({{"noisy", script}}));
  UseRealPrompts();
  QString text;
  QString details;
  Qt::TextFormat format = Qt::AutoText;
  int height = 0;
  WhenShown<QMessageBox>([&](QMessageBox& box) {
    text = box.text();
    details = box.detailedText();
    format = box.textFormat();
    height = box.sizeHint().height();
    box.accept();
  });
  WhenShown<QFileDialog>([this](QFileDialog& dialog) {
    dialog.selectFile(QString::fromStdString(Files.File("noisy.html")));
    static_cast<QDialog&>(dialog).accept();
  });
  Make(window, "noisy", Files.File("noisy.html"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 30000));
  EXPECT_TRUE(text.contains(u"終了コード 3"_s)) << text.toStdString();
  EXPECT_TRUE(text.contains(u"<b>行 300</b>"_s));
  EXPECT_FALSE(text.contains(u"行 280"_s)) << "only the last lines";
  EXPECT_LE(text.count(u'\n'), 20);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_TRUE(details.contains(u"<b>行 001</b>"_s));
  EXPECT_TRUE(details.endsWith(u"<b>行 300</b>"_s));
  EXPECT_LE(details.size(), 64 * 1024);
  EXPECT_LT(height, window.screen()->geometry().height());
}

// The notice's button stays while a status tip shows, and a browser that cannot
// be started is reported with the file's path.
TEST_F(HtmlPageRunTest, TheOpenButtonStaysAndAFailedBrowserIsReported) {
  TFormMain& window = StartWindow({}, Templates({{"waiting", Waiting}}));
  const std::string output = Files.File("open.html");
  WriteFile(output + ".go", "");
  Make(window, "waiting", output);
  ASSERT_TRUE(QTest::qWaitFor([&] { return TextOf(NoticeFor(window, output)).startsWith(u"目次を作成しました"_s); },
                              30000));
  auto* open = NoticeFor(window, output)->findChild<QPushButton*>(u"ButtonOpenOutput"_s);
  ASSERT_NE(open, nullptr);
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(open, &enter);
  window.statusBar()->showMessage(u"ほかのヒント"_s);
  EXPECT_TRUE(open->isVisible()) << "pointing at it must not hide it";

  const std::string bin = EmptyFolder();
  const std::string record = Files.File("browser.txt");
  struct Case {
    const char* What;
    const char* Script; // none: no xdg-open at all
    bool Reported;
  };
  const std::vector<Case> cases = {
      {"opens", "#!/bin/sh\necho \"$1\" > '%1'\n", false},
      {"fails", "#!/bin/sh\necho \"$1\" > '%1'\nexit 4\n", true},
      {"missing", nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    fs::remove(bin + "xdg-open");
    fs::remove(record);
    if (c.Script) {
      WriteFile(bin + "xdg-open", QString::fromUtf8(c.Script).arg(QString::fromStdString(record)).toStdString());
      fs::permissions(bin + "xdg-open", fs::perms::owner_all);
    }
    const ScopedEnv path("PATH", bin);
    if (c.Reported)
      Prompts->ExpectMessage(QString::fromStdString(output));
    open->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Prompts->AllAnswered(); }, 30000));
    if (c.Script) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(record); }, 30000));
      EXPECT_EQ(ReadFile(record), output + "\n");
    }
  }
}

}
