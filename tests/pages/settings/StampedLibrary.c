/* A tiny shared library that only carries a file version (stamped by CMake), for the tests that
 * read versions back from binaries. */
int StampedLibraryMarker(void) { return 987; }
