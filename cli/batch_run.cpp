#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <optional>
#include <thread>

#include <nlohmann/json.hpp>

#include "cli/atomic_file.h"
#include "cli/batch_names.h"
#include "cli/interruption.h"
#include "cli/progress_bar.h"

namespace vellumtrace {
namespace {

// The join key first, as in every other record.
std::string JsonErrorLine(const std::filesystem::path& input, const std::string& error) {
  return "{\"file\":" + JsonName(input.string()) + ",\"error\":" +
         nlohmann::json(error).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
         "}\n";
}

// A result object with "file" spliced in as its first member.
std::string TaggedRecord(const std::filesystem::path& input, std::string result) {
  if (result.empty() || result[0] != '{') return result;
  const bool empty = result.size() > 1 && result[1] == '}';
  return "{\"file\":" + JsonName(input.string()) + (empty ? "" : ",") + result.substr(1);
}

// Results that go to one stream leave in input order: each finished result
// waits in its slot until all before it are out.
class OrderedWriter {
 public:
  OrderedWriter(std::FILE* out, size_t count) : m_out(out), m_slots(count) {}

  void Put(size_t index, std::string bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots[index] = std::move(bytes);
    while (m_next < m_slots.size() && m_slots[m_next]) {
      std::fwrite(m_slots[m_next]->data(), 1, m_slots[m_next]->size(), m_out);
      m_slots[m_next].reset();
      ++m_next;
    }
  }
  // An item that never ran: later results may leave all the same.
  void Skip(size_t index) { Put(index, std::string()); }

 private:
  std::mutex m_mutex;
  std::FILE* m_out;
  std::vector<std::optional<std::string>> m_slots;
  size_t m_next = 0;
};

}  // namespace

BatchOutcome RunBatch(const std::vector<BatchItem>& items, unsigned jobs,
                      const BatchWork& work, std::FILE* out, std::FILE* errors,
                      ProgressBar* bar, const BatchRunOptions& options) {
  InterruptionGuard guard;
  OrderedWriter ordered(out, items.size());
  std::atomic<size_t> nextItem{0};
  std::atomic<size_t> written{0}, failed{0}, skipped{0}, finished{0};
  std::mutex reportMutex;

  auto report = [&](const std::string& message) {
    std::lock_guard<std::mutex> lock(reportMutex);
    if (bar) bar->Finish();
    std::fprintf(errors, "vellumtrace: %s\n", message.c_str());
  };

  auto worker = [&] {
    for (;;) {
      if (InterruptionGuard::Signal() != 0) return;
      const size_t index = nextItem.fetch_add(1);
      if (index >= items.size()) return;
      const BatchItem& item = items[index];
      if (options.upToDate && !item.output.empty() && options.upToDate(item)) {
        ++skipped;
      } else {
        std::string result, error;
        bool ok = work(item.input, &result, &error);
        if (item.output.empty()) {
          ordered.Put(index, !ok                ? JsonErrorLine(item.input, error)
                             : options.tagFile ? TaggedRecord(item.input, std::move(result))
                                               : std::move(result));
        }
        if (!ok) {
          error = ShownName(item.input.string()) + ": " + error;
        } else if (!item.output.empty()) {
          std::string reason;
          ok = options.folder ? options.folder->Write(item.output.filename(), result, &reason)
                              : WriteFileAtomically(item.output, result, &reason);
          if (!ok && options.folder) {
            error = "cannot write " + ShownName(item.output.string()) + ": " + reason;
          } else if (!ok) {
            error = std::move(reason);
          }
        }
        if (ok) {
          ++written;
        } else {
          ++failed;
          report(error);
        }
      }
      const size_t done = ++finished;
      if (bar) {
        std::lock_guard<std::mutex> lock(reportMutex);
        bar->Show(done, items.size());
      }
    }
  };

  jobs = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(items.size())));
  std::vector<std::thread> threads;
  for (unsigned i = 1; i < jobs; ++i) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();
  if (bar) bar->Finish();

  BatchOutcome outcome;
  outcome.written = written;
  outcome.failed = failed;
  outcome.skipped = skipped;
  outcome.notStarted = items.size() - finished;
  outcome.signal = InterruptionGuard::Signal();
  for (size_t i = std::min(nextItem.load(), items.size()); i < items.size(); ++i) {
    if (items[i].output.empty()) ordered.Skip(i);
  }
  std::fflush(out);
  return outcome;
}

std::string DescribeBatchOutcome(const BatchOutcome& outcome, size_t total) {
  std::string line;
  if (outcome.signal != 0) {
    line = std::string("stopped by ") + (outcome.signal == SIGINT ? "SIGINT" : "SIGTERM") + ": ";
  }
  line += std::to_string(outcome.written) + " of " + std::to_string(total) + " files done";
  if (outcome.skipped != 0) {
    line += ", " + std::to_string(outcome.skipped) + " skipped as up to date";
  }
  if (outcome.failed != 0) line += ", " + std::to_string(outcome.failed) + " failed";
  if (outcome.notStarted != 0) {
    line += ", " + std::to_string(outcome.notStarted) + " not started";
  }
  return line;
}

}  // namespace vellumtrace
