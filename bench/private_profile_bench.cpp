// Profile reads and writes at the size of the largest configuration file: 270 sections of 6 keys.
// Opening a job reads about 800 of them; together they must stay well under 5 ms.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/private_profile.h"

namespace {

namespace fs = std::filesystem;
namespace profile = kestrum::profile;

constexpr int kSections = 270;
constexpr int kReads = 800;

const char* const kKeys[] = {"Name", "Width", "Color", "Speed", "Description", "Enabled"};

struct Query {
    std::string section;
    std::string key;
    bool integer;
};

// One folder for the whole run, removed at exit.
class Workspace {
  public:
    static Workspace& Get() {
        static Workspace workspace;
        return workspace;
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    // A fresh copy of the configuration file, dated an hour back like a file at rest (a file
    // changed moments ago is re-read on each access until it has aged).
    fs::path MakeFile(const std::string& name) const {
        fs::path file = folder_ / name;
        profile::Forget(file);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text_;
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
        return file;
    }

    const std::vector<Query>& queries() const { return queries_; }

  private:
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "kestrum-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) folder_ = pattern;

        text_ = "; Pen tables\n\n";
        for (int s = 0; s < kSections; ++s) {
            const std::string n = std::to_string(s);
            text_ += "[Pen " + n + "]\nName = Pen number " + n +
                     "\nWidth = " + std::to_string(s % 50) +
                     "\nColor = " + std::to_string(s * 7919 % 65536) +
                     "\nSpeed = " + std::to_string(10 + s % 90) +
                     "\nDescription = a pen of the plotter's carousel, slot " + n +
                     "\nEnabled = " + std::to_string(s % 2) + "\n\n";
        }
        // Spread over the file the way a job's pens are: not in file order.
        for (int i = 0; i < kReads; ++i) {
            const int key = i % 6;
            queries_.push_back(Query{"pen " + std::to_string(i * 37 % kSections), kKeys[key],
                                     key != 0 && key != 4});
        }
    }

    fs::path folder_;
    std::string text_;
    std::vector<Query> queries_;
};

void ReadAll(const fs::path& file, const std::vector<Query>& queries) {
    for (const Query& q : queries) {
        if (q.integer) {
            benchmark::DoNotOptimize(profile::ReadInt(file, q.section, q.key, -1));
        } else {
            benchmark::DoNotOptimize(profile::ReadString(file, q.section, q.key, "", 256));
        }
    }
}

// The steady state: the file is parsed once, each read is a lookup.
void BM_Read800Cached(benchmark::State& state) {
    const Workspace& ws = Workspace::Get();
    const fs::path file = ws.MakeFile("read.cfg");
    ReadAll(file, ws.queries());
    for (auto _ : state) ReadAll(file, ws.queries());
    state.SetItemsProcessed(state.iterations() * kReads);
    profile::Forget(file);
}
BENCHMARK(BM_Read800Cached)->Unit(benchmark::kMicrosecond);

// The first job after start: the parse is part of the cost.
void BM_ParseAndRead800(benchmark::State& state) {
    const Workspace& ws = Workspace::Get();
    const fs::path file = ws.MakeFile("parse.cfg");
    for (auto _ : state) {
        profile::Forget(file);
        ReadAll(file, ws.queries());
    }
    state.SetItemsProcessed(state.iterations() * kReads);
    profile::Forget(file);
}
BENCHMARK(BM_ParseAndRead800)->Unit(benchmark::kMicrosecond);

// Saving every pen: 800 values changed in the cache, then one atomic flush (fsync included).
void BM_Write800AndFlush(benchmark::State& state) {
    const Workspace& ws = Workspace::Get();
    const fs::path file = ws.MakeFile("write.cfg");
    int round = 0;
    for (auto _ : state) {
        const std::string value = std::to_string(++round);
        for (const Query& q : ws.queries()) {
            if (!profile::WriteString(file, q.section, q.key, value)) {
                state.SkipWithError("write failed");
                return;
            }
        }
        if (!profile::Flush(file)) {
            state.SkipWithError("flush failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kReads);
    profile::Forget(file);
}
BENCHMARK(BM_Write800AndFlush)->Unit(benchmark::kMicrosecond);

}  // namespace
