// tocwerk-script-host: runs one blog type's script for TScriptController, which
// starts it per crawl, speaks to it over standard input and output, and kills it at
// the time limit or on Cancel.
#include "script/ScriptHostMemory.h"
#include "script/Tscriptengine.h"
#include "script/Tscripthostprocess.h"
#include "script/Tscriptmessage.h"

#include <QCoreApplication>

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

bool ReadAll(char* data, size_t size) {
  while (size > 0) {
    const ssize_t got = read(STDIN_FILENO, data, size);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return false;
    data += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(const std::string& data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    const ssize_t put = write(STDOUT_FILENO, p, left);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      return false;
    p += put;
    left -= static_cast<size_t>(put);
  }
  return true;
}

// False once the controller has gone away.
bool ReadRequest(std::vector<std::string>& fields) {
  char header[4];
  if (!ReadAll(header, sizeof header))
    return false;
  const size_t length = ScriptMessageLength(header);
  if (length > MaxScriptMessageSize)
    return false;
  std::string body(length, '\0');
  if (!ReadAll(body.data(), length))
    return false;
  fields = DecodeScriptMessage(body);
  return true;
}

// A backstop behind the controller's own time limit: should the controller fail
// to kill this process, the kernel ends a call a little after its limit. Setting it
// takes system calls, which a page's calls would feel, so it is renewed once a
// second at most; the slack covers what this process can use in between.
class ProcessorTimeBackstop {
public:
  void Renew(const std::string& milliseconds) {
    const auto now = std::chrono::steady_clock::now();
    if (milliseconds == Limit && now - RenewedAt < std::chrono::seconds(1))
      return;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    rlimit limit{};
    getrlimit(RLIMIT_CPU, &limit);
    const rlim_t soft = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        std::stoul(milliseconds) / 1000 + 10;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? soft : std::min(soft, limit.rlim_max);
    setrlimit(RLIMIT_CPU, &limit);
    Limit = milliseconds;
    RenewedAt = now;
  }

private:
  std::string Limit;
  std::chrono::steady_clock::time_point RenewedAt;
};

bool Reply(const std::string& value, const TScriptEngine& engine) {
  return WriteAll(EncodeScriptMessage({value, engine.HasError() ? "1" : "0",
                                       std::to_string(engine.GetErrorLine()),
                                       std::to_string(engine.GetErrorColumn()),
                                       engine.GetErrorDescription()}));
}

// Each reply goes out as soon as its function returns, so that the controller times
// every call on its own while this process goes straight on to the next one.
bool CallEach(TScriptEngine& engine, ProcessorTimeBackstop& backstop, const std::vector<std::string>& request,
              size_t firstFunction, const std::string& argument, const std::string& url) {
  for (size_t function = firstFunction; function < request.size(); ++function) {
    backstop.Renew(request[1]);
    const std::string value = engine.Call(request[function], argument, url);
    if (!Reply(value, engine))
      return false;
    if (engine.HasError())
      break;
  }
  return true;
}

// False once the controller has gone away.
bool Handle(TScriptEngine& engine, ProcessorTimeBackstop& backstop, std::vector<std::string>& request,
            std::string& lastArgument) {
  ForgetFailedAllocation();
  if (request.size() == 3 && request[0] == "load") {
    backstop.Renew(request[1]);
    engine.Load(request[2]);
    return Reply(std::string(), engine);
  }
  if (request.size() >= 5 && request[0] == "call") {
    lastArgument = std::move(request[2]);
    return CallEach(engine, backstop, request, 4, lastArgument, request[3]);
  }
  if (request.size() >= 4 && request[0] == "again")
    return CallEach(engine, backstop, request, 3, lastArgument, request[2]);
  if (request.size() == 3 && request[0] == "has")
    return WriteAll(EncodeScriptMessage({engine.HasFunction(request[2]) ? "1" : "0", "0", "0", "0", ""}));
  throw std::runtime_error("unknown request");
}

// Between pages the controller fetches the next one and this process waits; a
// collection done then is one the next page's calls need not wait for.
void CollectWhileIdle(TScriptEngine& engine) {
  pollfd input = {STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, 0) == 0)
    engine.CollectGarbage();
}

} // namespace

int main(int argc, char** argv) {
  ExitOnMemoryExhaustion();
  QCoreApplication application(argc, argv);
  TScriptEngine engine;
  try {
    // Ready: the time of the first request is the script's own.
    if (!WriteAll(EncodeScriptMessage({"ready"})))
      return 1;
    std::vector<std::string> request;
    std::string lastArgument;
    ProcessorTimeBackstop backstop;
    while (ReadRequest(request)) {
      if (!Handle(engine, backstop, request, lastArgument))
        return 1;
      CollectWhileIdle(engine);
    }
  } catch (const std::bad_alloc&) {
    return ScriptHostOutOfMemory;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tocwerk-script-host: %s\n", error.what());
    return 2;
  }
  return 0;
}
