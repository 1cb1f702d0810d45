// The explicit check that no job carries another job's PIN, user name,
// document name or watermark text. Every such value of a job holds the job's
// tag ("t03-j017": thread and job), so each part of a job's output is scanned
// for tags, and any tag but the job's own names a leak:
//
// - the PJL before the PostScript, as bytes;
// - the PostScript as bytes (DSC comments, strings);
// - the text the PostScript shows: Wine's driver draws text glyph by glyph
//   ("/M glyphshow"), so the glyph names are read back into characters;
// - every text uiplug drew on the job's device context.
//
// PINs carry no tag: they are four digits from 1 to 6, looked up among all
// PINs of the run where they stand as a quoted value or as a run of four
// digits in shown or drawn text.
//
// As a control that the scan sees what it must, a job's own tag has to be
// found in its PJL, its PostScript and its shown text.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/stress/parallel_jobs/job_mix.h"
#include "tests/stress/parallel_jobs/job_print.h"

namespace parallel {

// The run's PINs and the job each belongs to ("t03-j017").
using PinOwners = std::map<std::string, std::string>;
PinOwners CollectPins(const std::vector<JobSpec> &jobs);

// The job's tag, as its values carry it.
std::string TagOf(const JobSpec &job);

// One line per foreign value found, or per part where the job's own tag is
// missing; empty when the job is clean.
std::vector<std::string> CheckSecrets(const JobSpec &job, const JobOutput &output, const PinOwners &pins);

// The characters a PostScript stream shows through glyphshow, in order.
std::string ShownText(const std::string &postscript);

}  // namespace parallel
