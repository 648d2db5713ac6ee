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
  enum class Icon { Error, Warning, Information, Question };
  virtual void Message(QWidget* parent, Icon icon, const QString& text) = 0;
  // A question with the given buttons, the first the default: the index of the one
  // pressed, or nullopt when the box was closed without one (Esc, the close box).
  virtual std::optional<int> Choose(QWidget* parent, Icon icon, const QString& text,
                                    const QStringList& buttons) = 0;
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
