// The reader a fuzzreader.cpp program drives, set per program by the build.

#ifndef FUZZ_READER
#error "FUZZ_READER names the reader this target drives"
#endif

extern const char* const fuzzReaderName;
const char* const fuzzReaderName = FUZZ_READER;
