// What the restore at start-up keeps of one run of
//   korvctl defaults restore --all-boards --verify --json
// the JSON record in %ProgramData%\Korvex, and one line per board for the
// event log. Portable: the service (korvboot_main.cpp) hands it what the run
// printed and how it ended.
#pragma once

#include <string>
#include <vector>

// How the run of korvctl ended.
struct RestoreRun {
  std::string time;      // when it started, as "2026-12-09T05:40:00Z"
  int status = -1;       // korvctl's exit status; -1 when it did not end by itself
  std::string output;    // its standard output: the document, or nothing
  std::string messages;  // its standard error
  std::string problem;   // what went wrong around it (no korvctl, a hang); empty: nothing
};

// The record: korvctl's document with "time", "status" and "problem" first.
// When the run printed no document (no device library, a hang), the record
// holds "changed": false and no boards, and "problem" says why.
std::string BootRecordJson(const RestoreRun& run);

// One entry for the event log.
struct BootEvent {
  bool warning = false;  // a refusal, a drift, a board that did not open, a failed run
  std::string text;
};

// One entry per board of the document ("board 0: 2 changed, 17 unchanged,
// 0 refused, 0 drifted"), or one entry saying why there are none.
std::vector<BootEvent> BootEvents(const RestoreRun& run);
