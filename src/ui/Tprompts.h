#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class QWidget;

// Every message box, file dialog and opening of a URL in the browser goes through
// the installed prompts, so that a test can answer them in advance and nothing it
// did not expect ever waits for a user.
class TPrompts {
public:
  virtual ~TPrompts() = default;

  // The prompts in use: the real ones unless a test installed others.
  static TPrompts& Get();
  // Replaces the prompts in use; nullptr puts the real ones back.
  static void Install(std::unique_ptr<TPrompts> prompts);

  // A box with one OK button: the error, warning, information or confirmation icon.
  // Every box's text is plain text.
  enum class Icon { Error, Warning, Information, Question };
  virtual void Message(QWidget* parent, Icon icon, const QString& text) = 0;
  // The same, with longer text behind a 詳細 button (none when details is empty).
  virtual void MessageWithDetails(QWidget* parent, Icon icon, const QString& text, const QString& details) = 0;
  // A question with the given buttons, the first the default: the index of the one
  // pressed. Esc and the close box mean escapeButton, the "no change" answer.
  virtual int Choose(QWidget* parent, Icon icon, const QString& text, const QStringList& buttons,
                     int escapeButton) = 0;
  // The chosen file, or nullopt on Cancel. filter is Qt's "名前(*.x);;…" form.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& caption,
                                              const QString& start, const QString& filter) = 0;
  // As OpenFileName; the dialog asks before overwriting and adds defaultSuffix to a
  // name without one.
  virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& caption,
                                              const QString& start, const QString& filter,
                                              const QString& defaultSuffix) = 0;
  // False when no program could open it.
  virtual bool OpenUrl(const QUrl& url) = 0;
};
