// How long reading one entry's date text takes, over the forms blogs print; the
// entry crawl reads one per page.
#include "text/Tkdatetext.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main() {
  const std::vector<std::string> texts{"2024/05/01 15:05",
                                       "2024-05-01T15:05:00+09:00",
                                       "2024-05-01 15:05+09:00",
                                       "2024年5月1日(水) 15時05分",
                                       "２０２４年５月１日（水）　午後３時０５分",
                                       "2024/5/1 午後3:05",
                                       "Wed, 01 May 2024 15:05:00 +0900",
                                       "May 1, 2024",
                                       "昨日"};
  constexpr int Rounds = 20000;
  double checksum = 0;
  double best = 1e9;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < Rounds; ++round)
      for (const std::string& text : texts)
        checksum += ReadDateText(text).value_or(0);
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count() / (Rounds * texts.size()));
  }
  std::printf("date_text_read_us %.3f us\n", best);
  return checksum > 0 ? 0 : 1;
}
