// Output phases: archive set-up, the record loops, the database's thread, and the reasons
// of failures.
#include "driver/output_phase.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "archive/scramble_stream.h"
#include "driver/compilation.h"
#include "driver/console.h"
#include "driver/named_use_check.h"
#include "driver/run_settings.h"
#include "io/pending_output.h"
#include "io/stop_signals.h"
#include "model/object_record.h"

namespace rpgc {

namespace {

// How often the dots of the database's records are looked at while they are measured.
constexpr auto kProgressInterval = std::chrono::milliseconds(50);

// Says why writing out's file failed.
void reportWriteFailure(const Compilation& compilation, const WriteStatus& status,
                        const PendingOutput& out, FindingSink& sink) {
  std::string target = out.target();
  switch (status.failure) {
    case WriteFailure::kNameTooLong:
      sink.report(longNameFinding(compilation, status.atom));
      return;
    case WriteFailure::kBodyTooLarge:
      sink.report(Finding(FindingCode::kOutputTooLarge, SourcePlace()).withPath(target));
      return;
    case WriteFailure::kNotBegun:
    case WriteFailure::kUnknownAtom:
    case WriteFailure::kNotOpen:
    case WriteFailure::kNotReplayed:
      sink.report(Finding(FindingCode::kOutputInternal, SourcePlace())
                      .withPath(target)
                      .with(static_cast<int64_t>(status.failure)));
      return;
    case WriteFailure::kNone:
    case WriteFailure::kStreamFailed:
      break;
  }
  int code = out.errorCode();
  if (code == 0) {
    sink.report(Finding(FindingCode::kCannotWriteUnexplained, SourcePlace()).withPath(target));
  } else {
    sink.report(Finding(FindingCode::kCannotWrite, SourcePlace())
                    .withPath(target)
                    .with(std::strerror(code)));
  }
}

// The string phase, on the caller's thread: banner, the records with their dots, the line
// end, then the container.
//
// The record loop measures the body (its length and its atoms) without keeping it; the
// container is then written with the records written again, each block going out as soon
// as it is complete. So the body is never held whole in memory.
bool writeStrings(Compilation& compilation, const RunSettings& settings, Console& console,
                  PendingOutput& out) {
  const StringTable& table = compilation.strings;
  auto writeRecords = [&](ArchiveWriter& archive, bool showProgress) {
    if (!archive.writeInt32(table.count())) return false;
    for (int32_t i = 0; i < table.count(); ++i) {
      if (!table.at(i).write(archive)) return false;
      if (showProgress) console.progress(i);
    }
    return true;
  };
  console.banner(kWritingStringsTitle);
  ScrambleStream scrambled(out.stream());
  ArchiveWriter& archive = compilation.archive;
  archive.beginWrite(scrambled);
  archive.setVersion(settings.version);
  archive.setName(settings.projectName);
  bool ok = writeRecords(archive, true);
  console.endProgress();
  return ok && archive.finish([&] { return writeRecords(archive, false); }) && out.finish();
}

// The database phase on a thread of its own, which writes and shows nothing: the caller
// shows its dots (showMeasuring) and its outcome (finished, status).
class DatabaseJob {
 public:
  DatabaseJob(Compilation& compilation, const RunSettings& settings, PendingOutput& out)
      : compilation_(compilation),
        settings_(settings),
        out_(out),
        archive_(compilation.atoms),
        records_(compilation.atoms) {}
  DatabaseJob(const DatabaseJob&) = delete;
  DatabaseJob& operator=(const DatabaseJob&) = delete;
  ~DatabaseJob() { stop(); }

  void start() {
    // Interning while the other phase reads the atom table would move its names.
    records_.learnClasses(compilation_.registry);
    // Shared strings are counted without locks: the name is taken on this thread.
    archive_.setVersion(settings_.version);
    archive_.setName(settings_.projectName);
    try {
      thread_ = std::thread([this] {
        // The stop signals are left to the caller's thread, which holds them back while
        // it replaces the outputs.
        SignalsHeld held;
        run();
      });
    } catch (const std::system_error&) {
      run();  // no thread to be had: the database is written first, shown in its place
    }
  }
  /// Shows the dots of the records as they are measured; whether they all were.
  bool showMeasuring(Console& console);
  /// Waits for the end; what the thread threw is thrown here. Whether the file is complete.
  bool finished();
  /// Makes the thread stop at its next record, and waits for it.
  void stop() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
  }
  const WriteStatus& status() const { return archive_.status(); }

 private:
  void run();
  bool writeRecords(bool countDots);
  void settleMeasuring(bool ok) {
    std::lock_guard lock(mutex_);
    if (measured_) return;
    measured_ = true;
    measuredOk_ = ok;
    measuredChanged_.notify_one();
  }

  Compilation& compilation_;
  const RunSettings& settings_;
  PendingOutput& out_;
  ArchiveWriter archive_;
  ObjectRecordWriter records_;
  std::thread thread_;
  std::atomic<bool> cancel_ = false;
  std::atomic<int32_t> dots_ = 0;
  std::mutex mutex_;
  std::condition_variable measuredChanged_;
  bool measured_ = false;  // guarded by mutex_
  bool measuredOk_ = false;
  bool finished_ = false;  // read after the join
  std::exception_ptr thrown_;
};

bool DatabaseJob::writeRecords(bool countDots) {
  const ObjectRegistry& registry = compilation_.registry;
  for (int32_t j = 0; j < registry.count(); ++j) {
    if (cancel_.load(std::memory_order_relaxed)) return false;
    if (!records_.write(archive_, *registry.at(j))) return false;
    if (countDots && j % 10 == 0) dots_.fetch_add(1, std::memory_order_relaxed);
  }
  return true;
}

void DatabaseJob::run() {
  try {
    ScrambleStream scrambled(out_.stream());
    archive_.beginWrite(scrambled);  // name and version stay as start() set them
    bool measured = writeRecords(true);
    settleMeasuring(measured);
    finished_ = measured && archive_.finish([&] { return writeRecords(false); }) && out_.finish();
  } catch (...) {
    thrown_ = std::current_exception();
  }
  settleMeasuring(false);
}

bool DatabaseJob::showMeasuring(Console& console) {
  int32_t shown = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    bool measured = measuredChanged_.wait_for(lock, kProgressInterval, [&] { return measured_; });
    int32_t dots = dots_.load(std::memory_order_relaxed);
    console.dots(dots - shown);
    shown = dots;
    if (measured) return measuredOk_;
  }
}

bool DatabaseJob::finished() {
  if (thread_.joinable()) thread_.join();
  if (thrown_) std::rethrow_exception(thrown_);
  return finished_;
}

}  // namespace

bool writeOutputPhases(Compilation& compilation, const RunSettings& settings, Console& console,
                       FindingSink& sink, PendingOutput& strings, PendingOutput& database,
                       const std::function<void()>& beforeDatabase) {
  DatabaseJob databaseJob(compilation, settings, database);
  databaseJob.start();
  if (!writeStrings(compilation, settings, console, strings)) {
    databaseJob.stop();
    reportWriteFailure(compilation, compilation.archive.status(), strings, sink);
    console.text(kCannotWriteStrings);
    return false;
  }
  if (beforeDatabase) beforeDatabase();
  console.banner(kWritingDatabaseTitle);
  databaseJob.showMeasuring(console);
  console.endProgress();
  if (databaseJob.finished()) return true;
  reportWriteFailure(compilation, databaseJob.status(), database, sink);
  console.text(kCannotWriteDatabase);
  return false;
}

}  // namespace rpgc
