#pragma once
// quillum-cli batch: many photos, one set of settings, written by the same controller code
// as the window's save. The photos are shared out to worker processes (quillum-cli
// batch-worker), each holding one decoded photo at a time.

namespace quillum::cli {

extern const char* const kBatchUsage;

// argv[1] is "batch".
int runBatch(int argc, char** argv);
// argv[1] is "batch-worker": reads "input<TAB>output" lines on standard input, answers one
// line per photo on standard output, ends at the end of its input.
int runBatchWorker(int argc, char** argv);

} // namespace quillum::cli
