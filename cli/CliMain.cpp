#include "cli/CliMain.h"

#include "cli/BatchRunner.h"
#include "cli/CliOptions.h"
#include "cli/InputWalk.h"
#include "cli/Reporter.h"
#include "cli/TargetPlan.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace zent::cli {

namespace {

constexpr std::chrono::milliseconds kProgressInterval{250};
// What the reports name as the target of -o -.
constexpr const char* kStandardOutputTarget = "-";

OutputFormat OutputFormatOf(const CliOptions& options) {
    return {options.Format, static_cast<int>(options.Rate), options.Channels, options.Tags};
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
                                         Reporter& reporter, std::vector<FileResult>& failed) {
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
                FileResult result;
                result.Source = job.Source;
                result.Target = job.Target;
                result.Status = FileStatus::Failed;
                result.Message = found->second;
                ++progress.FilesFinished;
                reporter.FileFinished(result);
                failed.push_back(std::move(result));
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

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env) {
    CliOptions options;
    InputList inputs;
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
        inputs = CollectInputs(options.Inputs, options.Recursive, env.In, options.NulSeparated);
        if (options.ToStandardOutput && inputs.Files.size() > 1)
            throw EUsageError("-o - writes one WAV file to standard output: give exactly one file");
        if (!options.ToStandardOutput)
            PrepareOutputDir(options);
    } catch (const EUsageError& error) {
        env.Err << kProgramName << ": " << ShownText(error.what()) << '\n' << UsageHint() << '\n';
        return kExitUsage;
    }

    std::vector<FileJob> jobs =
        PlanTargets(inputs.Files, options.Flat ? std::vector<std::string>() : inputs.Folders,
                    options.OutputDir, options.Existing);
    BatchProgress progress;
    progress.FilesTotal = static_cast<int>(jobs.size());
    Reporter reporter({options.Quiet, options.Json, env.ErrIsTerminal}, progress, env.Out, env.Err,
                      env.Stop);
    for (const std::string& problem : inputs.Errors)
        reporter.Problem(problem);
    std::vector<FileResult> results;
    EngineSettings settings;
    settings.Jobs = options.Jobs;
    settings.Output = OutputFormatOf(options);
    if (options.ToStandardOutput) {
        settings.StandardOutput = &env.Out;
        for (FileJob& job : jobs)
            job = {job.Source, kStandardOutputTarget, false, ExistingTarget::Replace};
    } else {
        jobs = CreateTargetFolders(std::move(jobs), progress, reporter, results);
    }
    {
        ProgressTicker ticker(reporter);
        std::vector<FileResult> converted =
            RunBatch(jobs, std::move(settings), env.Stop, progress, reporter);
        results.insert(results.end(), converted.begin(), converted.end());
    }
    reporter.Finish(results);

    // Output that did not arrive is a failure even when it stopped the run.
    if (reporter.OutputFailed())
        return kExitFailed;
    if (env.Stop.load())
        return StoppedStatus(env.StopSignal.load());
    bool failed = !inputs.Errors.empty();
    for (const FileResult& result : results)
        failed = failed || result.Status == FileStatus::Failed;
    return failed ? kExitFailed : kExitConverted;
}

} // namespace zent::cli
