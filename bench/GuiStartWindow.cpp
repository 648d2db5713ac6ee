// The window as tocwerk starts it, ending as soon as its lists are filled: prints
// the number of blog types and templates it shows, for bench_guistart.
#include "app/Tappstartup.h"
#include "app/Tformmain.h"
#include "ui_Tformmain.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  PrepareApplication(application);
  TFormMain window;
  window.show();
  while (!window.IsStarted())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  std::printf("%d %d\n", window.GetUi().ComboBoxBlogType->count(), window.GetUi().ComboBoxHtmlTemplate->count());
  std::fflush(stdout);
  return window.HasStartupFailed() ? 1 : 0;
}
