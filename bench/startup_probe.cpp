/* tg-startup-probe: the desktop program with a probe watching it from
 * outside. At the first paint of its first window it prints the wall clock
 * and the peak memory so far, and ends, so bench/startup can measure from
 * just before it started the program (and the Wayland test stage can see the
 * main menu paint). The program is the same start-up over the same
 * libraries; only the probe's event filter is added, once the application
 * object exists.
 */
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/startup.h"

namespace {

// Peak resident memory so far, in kB (VmHWM).
long peakMemoryKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()) {
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      std::fprintf(stderr, "first-paint-ns %lld peak-rss-kb %ld\n",
                   static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, peakMemoryKb());
      std::fflush(stderr);
      _exit(0);
    }
    return false;
  }
};

void watchPaints() { QCoreApplication::instance()->installEventFilter(new FirstPaint); }

}  // namespace

int main() {
  qAddPreRoutine(watchPaints);
  static char module;
  return tarrengardMain((HINSTANCE)&module);
}
