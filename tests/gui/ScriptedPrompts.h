#pragma once

#include "ui/Tprompts.h"

#include <deque>
#include <optional>
#include <vector>

// Prompts answered from a queue that a test fills before it acts. Each expected
// prompt names its kind and a fragment of its text; a prompt that does not match
// the head of the queue is recorded as unexpected and answered as Cancel (a
// question's Esc answer), so that nothing ever waits for a user.
class ScriptedPrompts : public TPrompts {
public:
  enum class Kind { Message, Choose, OpenFile, SaveFile, OpenUrl };
  struct Expected {
    Kind PromptKind;
    QString TextFragment;
    // Choose: the button index; OpenFile/SaveFile: the file name.
    QString Answer;
    bool Canceled = false;
  };
  struct Seen {
    Kind PromptKind;
    QString Text;
  };

  // The fragment may be in the text or in the details.
  void ExpectMessage(const QString& fragment);
  // nullopt: the box is closed by Esc.
  void ExpectChoice(const QString& fragment, std::optional<int> button);
  void ExpectOpenFile(std::optional<QString> file);
  void ExpectSaveFile(std::optional<QString> file);
  void ExpectOpenUrl(const QString& fragment);

  // Every prompt shown, expected or not, in order.
  const std::vector<Seen>& GetSeen() const { return SeenPrompts; }
  // Texts of the prompts that did not match what the queue expected.
  const std::vector<QString>& GetUnexpected() const { return Unexpected; }
  bool AllAnswered() const { return Queue.empty(); }

  void Message(QWidget* parent, Icon icon, const QString& text) override;
  void MessageWithDetails(QWidget* parent, Icon icon, const QString& text, const QString& details) override;
  int Choose(QWidget* parent, Icon icon, const QString& text, const QStringList& buttons,
             int escapeButton) override;
  std::optional<QString> OpenFileName(QWidget* parent, const QString& caption, const QString& start,
                                      const QString& filter) override;
  std::optional<QString> SaveFileName(QWidget* parent, const QString& caption, const QString& start,
                                      const QString& filter, const QString& defaultSuffix) override;
  bool OpenUrl(const QUrl& url) override;

private:
  // The answer of the head of the queue when it is of this kind and its fragment
  // is in text; nullopt (Cancel) for anything else.
  std::optional<QString> Take(Kind kind, const QString& text, bool* matched = nullptr);

  std::deque<Expected> Queue;
  std::vector<Seen> SeenPrompts;
  std::vector<QString> Unexpected;
};
