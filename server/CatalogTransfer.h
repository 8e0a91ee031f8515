#pragma once
// The "import" and "export" commands of pallido-server. Each takes the
// arguments after its name; the result is the program's exit code (0 done,
// 1 failed, 2 bad usage).

// import --catalog FILE --categories FILE --sellers FILE --items FILE:
// reads the CSV files and, only when every row is good, writes a new
// catalog file and renames it into place.
int RunImport(int argc, const char* const* argv);

// export [--catalog FILE] [--categories FILE] [--sellers FILE] [--items FILE]:
// writes the demo catalog (or the catalog FILE) as the three CSV files.
int RunExport(int argc, const char* const* argv);
