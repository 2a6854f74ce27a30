#include "cli/CliMain.h"

#include "cli/BatchRunner.h"
#include "cli/CliOptions.h"
#include "cli/InputWalk.h"
#include "cli/Reporter.h"
#include "cli/TargetPlan.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace zent::cli {

namespace {

constexpr std::chrono::milliseconds kProgressInterval{250};
// What the reports name as the target of -o -.
constexpr const char* kStandardOutputTarget = "-";

FileRecord FailedRecord(const std::string& source, const std::string& message) {
    FileReport report;
    report.Outcome = FileOutcome::Failed;
    report.Message = message;
    return {source, {}, std::move(report)};
}

OutputFormat OutputFormatOf(const CliOptions& options) {
    return {options.Format, static_cast<int>(options.Rate), options.Channels, options.Tags,
            !options.FormatChosen};
}

void PrepareOutputDir(const CliOptions& options) {
    const std::filesystem::path dir(options.OutputDir);
    std::error_code error;
    if (std::filesystem::is_directory(dir, error))
        return;
    if (std::filesystem::exists(dir, error))
        throw EUsageError("the output directory \"" + options.OutputDir + "\" is not a directory");
    if (!options.MakeOutputDir)
        throw EUsageError("the output directory \"" + options.OutputDir +
                          "\" does not exist: give --mkdir to create it");
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir, error))
        throw EUsageError("cannot create the output directory \"" + options.OutputDir +
                          "\": " + error.message());
}

// Creates the folders the targets go into (as mkdir does: 0777 less the umask). A job whose
// folder cannot be created fails with the system's reason and leaves the batch; the others
// go on.
std::vector<FileJob> CreateTargetFolders(std::vector<FileJob> jobs, BatchProgress& progress,
                                         Reporter& reporter, std::vector<FileRecord>& failed) {
    std::map<std::filesystem::path, std::string> tried; // folder, why it could not be created
    std::vector<FileJob> ready;
    for (FileJob& job : jobs) {
        // A skipped file's folder is there already.
        if (!job.Skip) {
            const std::filesystem::path folder = std::filesystem::path(job.Target).parent_path();
            const auto [found, isNew] = tried.try_emplace(folder);
            if (isNew) {
                std::error_code error;
                std::filesystem::create_directories(folder, error);
                if (error)
                    found->second =
                        "cannot create the folder \"" + folder.native() + "\": " + error.message();
            }
            if (!found->second.empty()) {
                FileRecord record = FailedRecord(job.Source, found->second);
                record.Target = job.Target;
                ++progress.FilesFinished;
                reporter.FileFinished(record);
                failed.push_back(std::move(record));
                continue;
            }
        }
        ready.push_back(std::move(job));
    }
    return ready;
}

// Redraws the progress line until the batch is over.
class ProgressTicker {
public:
    explicit ProgressTicker(Reporter& reporter)
        : FThread([this, &reporter] {
              std::unique_lock lock(FMutex);
              while (!FDone) {
                  reporter.Tick();
                  FWake.wait_for(lock, kProgressInterval);
              }
          }) {}
    ~ProgressTicker() {
        {
            const std::lock_guard lock(FMutex);
            FDone = true;
        }
        FWake.notify_all();
    }

private:
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FDone = false;
    std::jthread FThread; // last: joined before the members it uses go
};

} // namespace

int StoppedStatus(int signalNumber) {
    constexpr int kSignalBase = 128;
    return signalNumber > 0 ? kSignalBase + signalNumber : kExitStopped;
}

namespace {

// Problems found before the run, as the failed records they are.
std::vector<FileRecord> ProblemRecords(const std::vector<InputProblem>& problems) {
    std::vector<FileRecord> records;
    for (const InputProblem& problem : problems)
        records.push_back(FailedRecord(problem.Source, problem.Message));
    return records;
}

// The files whose names are planned, and of them the ones this process converts.
struct PlannedInputs {
    InputList Inputs;
    std::vector<std::size_t> Taken; // indices into Inputs.Files
    std::size_t Total = 0;          // files and problems of every shard
};

PlannedInputs GatherInputs(const CliOptions& options, const CliEnvironment& env) {
    PlannedInputs planned;
    planned.Inputs = CollectInputs(options.Inputs, options.Recursive, env.In, options.NulSeparated);
    InputList& inputs = planned.Inputs;
    if (!options.RelativeTo.empty())
        KeepFoldersBelow(inputs, options.RelativeTo);
    planned.Total = inputs.Files.size() + inputs.Errors.size();
    if (options.Part) {
        planned.Taken = TakeShard(inputs, *options.Part);
    } else {
        for (std::size_t i = 0; i < inputs.Files.size(); ++i)
            planned.Taken.push_back(i);
    }
    return planned;
}

std::ofstream OpenReport(const std::string& path) {
    std::ofstream report(path, std::ios::binary | std::ios::trunc);
    if (!report)
        throw EStreamError("cannot write the report \"" + path + "\": " + std::strerror(errno));
    return report;
}

} // namespace

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env) {
    CliOptions options;
    PlannedInputs planned;
    try {
        options = ParseCliOptions(args, env.Processors);
        if (options.Help) {
            env.Out << HelpText() << std::flush;
            return env.Out ? kExitConverted : kExitFailed;
        }
        if (options.Version) {
            env.Out << VersionText() << std::flush;
            return env.Out ? kExitConverted : kExitFailed;
        }
        if (env.OutIsClosed && (options.ToStandardOutput || options.Json)) {
            env.Err << kProgramName << ": standard output is closed\n" << std::flush;
            return kExitFailed;
        }
        if (options.PartFromScheduler)
            options.Part = ShardOfArrayTask(env.Variable);
        planned = GatherInputs(options, env);
        if (options.ToStandardOutput && planned.Taken.size() > 1)
            throw EUsageError("-o - writes one WAV file to standard output: give exactly one file");
        if (!options.ToStandardOutput)
            PrepareOutputDir(options);
    } catch (const EUsageError& error) {
        env.Err << kProgramName << ": " << ShownText(error.what()) << '\n' << UsageHint() << '\n';
        return kExitUsage;
    }
    std::ofstream report;
    try {
        if (!options.Report.empty())
            report = OpenReport(options.Report);
    } catch (const EStreamError& error) {
        env.Err << kProgramName << ": " << ShownText(error.what()) << '\n' << std::flush;
        return kExitFailed;
    }

    InputList& inputs = planned.Inputs;
    // Names are planned over every input, so that a shard numbers them as one run would.
    const std::vector<FileJob> everyJob =
        PlanTargets(inputs.Files, options.Flat ? std::vector<std::string>() : inputs.Folders,
                    options.OutputDir, options.Existing);
    std::vector<FileJob> jobs;
    for (const std::size_t i : planned.Taken)
        jobs.push_back(everyJob[i]);
    BatchProgress progress;
    progress.FilesTotal = static_cast<int>(jobs.size());
    Reporter reporter({options.Quiet, options.Json, env.ErrIsTerminal}, progress, env.Out, env.Err,
                      env.Stop, report.is_open() ? &report : nullptr);
    std::vector<FileRecord> records = ProblemRecords(inputs.Errors);
    for (const FileRecord& problem : records)
        reporter.Problem(problem);
    if (jobs.empty() && planned.Total == 0)
        reporter.Note("no input files");
    else if (jobs.empty() && records.empty())
        reporter.Note("no input files in shard " + std::to_string(options.Part->Index + 1) + "/" +
                      std::to_string(options.Part->Count) + " (" + std::to_string(planned.Total) +
                      " in all)");
    EngineSettings settings;
    settings.Jobs = options.Jobs;
    settings.Output = OutputFormatOf(options);
    if (options.ToStandardOutput) {
        settings.StandardOutput = &env.Out;
        for (FileJob& job : jobs)
            job = {job.Source, kStandardOutputTarget, false, ExistingTarget::Replace};
    } else {
        jobs = CreateTargetFolders(std::move(jobs), progress, reporter, records);
    }
    {
        ProgressTicker ticker(reporter);
        std::vector<FileRecord> converted =
            RunBatch(jobs, std::move(settings), env.Stop, progress, reporter);
        records.insert(records.end(), converted.begin(), converted.end());
    }
    reporter.Finish(records, options.Jobs);

    // Output that did not arrive is a failure even when it stopped the run.
    if (reporter.OutputFailed())
        return kExitFailed;
    if (env.Stop.load())
        return StoppedStatus(env.StopSignal.load());
    return std::any_of(records.begin(), records.end(), Failed) ? kExitFailed : kExitConverted;
}

} // namespace zent::cli
