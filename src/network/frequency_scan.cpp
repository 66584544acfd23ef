#include "network/frequency_scan.hpp"

#include <cstdint>
#include <string>
#include <utility>

#include "base/checked_arithmetic.hpp"
#include "base/number_text.hpp"
#include "base/record_files.hpp"
#include "base/run_time_error.hpp"
#include "base/vector_state.hpp"
#include "network/element_record.hpp"
#include "network/output_file.hpp"
#include "solver/element_models.hpp"
#include "solver/lines_and_stubs.hpp"

namespace tavelin {

namespace {

void RunModel(ModelContext& context, const ElementRecord& record, double value, double frequency) {
  switch (record.ElementType) {
    case kSeriesR: DoSeriesR(context, value, frequency); break;
    case kShuntR: DoShuntR(context, value, frequency); break;
    case kSeriesL: DoSeriesL(context, value, frequency); break;
    case kShuntL: DoShuntL(context, value, frequency); break;
    case kSeriesC: DoSeriesC(context, value, frequency); break;
    case kShuntC: DoShuntC(context, value, frequency); break;
    case kStubOpen: DoStubOpen(context, LineParametersOf(record), value, frequency); break;
    case kStubShorted: DoStubShorted(context, LineParametersOf(record), value, frequency); break;
    case kSerTransLine: DoSerTransLine(context, LineParametersOf(record), value, frequency); break;
    default: break;  // no model: the node state passes through
  }
}

// A bound as typed, in single precision; false when the text is not a usable number.
bool ReadBound(std::string_view text, const NumberLocale& locale, float& bound) {
  try {
    bound = CSng(ReadLocaleNumber(text, locale));
    return true;
  } catch (const RunTimeError&) {
    return false;
  }
}

// Passes the scan's message boxes on and notes that one was shown: the network may have been changed
// while it was open, and the toolkit has left the vector state dirty.
class NoticedMessages : public MessageBoxes {
 public:
  explicit NoticedMessages(MessageBoxes& boxes) : boxes_(boxes) {}
  void Show(const std::string& text, const std::string& title) override {
    boxes_.Show(text, title);
    ClearVectorState();
    shown_ = true;
  }
  bool TakeShown() { return std::exchange(shown_, false); }

 private:
  MessageBoxes& boxes_;
  bool shown_ = false;
};

// Element n of the step, n running from 1 to the element count read when the step began: read its
// record from the step's records, seed the load on the first element of a step, run its model,
// write its output record.
void ProcessElement(const Services& services, NetworkState& state, const Reporting& reporting, RecordRun& records,
                    std::int16_t n) {
  DecodeElementRecord(records.Get(n).first<kElementRecordLength>(), state.ElementRecord);
  state.OutputRecord.Frequency = state.ScanFrequency;
  state.Node.CaptureLoad(state.ElementRecord.LoadResistance, state.ElementRecord.LoadReactance);
  ModelContext context{reporting, state.Node.ForModels(), state.OutputRecord.Node};
  RunModel(context, state.ElementRecord, state.ElementRecord.ElementValue, state.OutputRecord.Frequency);
  WriteOutputRecord(services, state);
}

// Runs every step; false when a run-time error stopped the scan (it has been reported).
bool RunSteps(const Services& services, NetworkState& state, float scanStep) {
  ClearVectorState();
  NoticedMessages noticed(services.messages);
  const Reporting reporting{noticed, services.locale};
  // A step of a large network takes a few reads, and the buffer stays small.
  RecordRun records(services.files, state.ElementFile, kElementRecordLength, state.ElementCount, 256);
  const int steps = state.StepCount;
  try {
    for (int step = 1; step <= steps; ++step) {
      const int count = state.ElementCount;
      records.Forget();  // the records are read anew at every step, and after every message box
      for (int n = 1; n <= count; ++n) {
        state.ElementIndex = static_cast<std::int16_t>(n);
        if (noticed.TakeShown()) records.Forget();
        ProcessElement(services, state, reporting, records, state.ElementIndex);
      }
      state.Node.Reset();
      Let(state.ScanFrequency, Num(state.ScanFrequency) + static_cast<double>(scanStep));
    }
    services.files.Flush(state.OutputWriteFile);
    return true;
  } catch (const FileWriteError& e) {
    std::string kept = "the records written before it";
    try {
      kept = "the " + std::to_string(services.files.Written(state.OutputWriteFile) / kOutputRecordLength) +
             " records written before it";
    } catch (const RunTimeError&) {
      // The count is a courtesy; the failure itself is reported below.
    }
    services.messages.Show("Run-time error " + std::to_string(e.Number()) + " (" + e.what() +
                               ") while writing the scan output file. The scan was stopped; " + kept +
                               " are kept.",
                           "Error in Scan");
    return false;
  } catch (const RunTimeError& e) {
    // The records already written stay, so what was computed can still be plotted.
    services.messages.Show("Run-time error " + std::to_string(e.Number()) + " (" + e.what() +
                               ") at element " + std::to_string(state.ElementIndex) + " of " +
                               std::to_string(state.ElementCount) + ", frequency " +
                               FormatGeneral(state.ScanFrequency, services.locale) +
                               " MHz. The scan was stopped; the records written before it are kept.",
                           "Error in Scan");
    try {
      services.files.Flush(state.OutputWriteFile);
    } catch (const RunTimeError&) {
      // Already reported as the scan's failure.
    }
    return false;
  }
}

}  // namespace

ScanOutcome BeginScan(const Services& services, NetworkState& state, std::string_view upperText,
                      std::string_view lowerText) {
  // Not only the load: a scan stopped by an error, or whose file could not be reopened, left the
  // node in the middle of a step, and every scan begins as its steps do.
  state.Node.Reset();
  switch (DeleteOutputFile(services, state)) {
    case DeleteOutcome::kEnding: return ScanOutcome::kEnded;
    case DeleteOutcome::kInUse: return ScanOutcome::kInUse;
    case DeleteOutcome::kDeleted: break;
  }
  const int createFailure = CreateOutputFile(services, state);

  float upper = 0.0f;
  float lower = 0.0f;
  const bool readable = ReadBound(upperText, services.locale, upper) && ReadBound(lowerText, services.locale, lower);
  // The step is a 99th of the band whatever the number of steps: computed in double, held in single.
  const float scanStep =
      readable ? CSng((static_cast<double>(upper) - static_cast<double>(lower)) / 99.0) : 0.0f;
  if (createFailure != 0) {
    // The warning has been shown; there is nowhere to write.
  } else if (!readable || !(lower > 0.0f && upper > lower && scanStep > 0.0f)) {
    services.messages.Show("Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup");
  } else {
    state.ScanFrequency = static_cast<double>(lower);
    if (state.ElementCount < 1) {
      services.messages.Show("There are no records - make sure the file is opened!", "Error - No Records");
    } else if (RunSteps(services, state, scanStep)) {
      services.messages.Show(
          "All records processed over the range of " + std::to_string(state.StepCount) + " frequencies.",
          "Status");
    }
  }
  return ReopenOutputFile(services, state, createFailure) ? ScanOutcome::kReopened : ScanOutcome::kReopenFailed;
}

}  // namespace tavelin
