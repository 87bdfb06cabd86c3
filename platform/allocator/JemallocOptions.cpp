// jemalloc's options for the executables that allocate with it; jemalloc reads this symbol when it
// starts. Only those executables compile this file: a library must not choose its host's allocator.
//
// Transparent huge pages: a first load fills a fresh heap of about 150 MB, and with 4 KiB pages
// that is some 57,000 page faults, a quarter of the load's time. With huge pages it is a few
// thousand, for a few MB more resident memory.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:auto";
}
