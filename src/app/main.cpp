#include "app/Tappstartup.h"
#include "app/Tformmain.h"
#include "ui/Tprompts.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  try {
    PrepareApplication(application);
    TFormMain window;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
      window.SetStartupProject(arguments.at(1));
    window.show();
    const int status = QApplication::exec();
    return window.HasStartupFailed() ? 1 : status;
  } catch (const std::exception& error) {
    TPrompts::Get().Message(nullptr, TPrompts::Icon::Error, QString::fromUtf8(error.what()));
  } catch (...) {
    TPrompts::Get().Message(nullptr, TPrompts::Icon::Error, QString());
  }
  return 1;
}
