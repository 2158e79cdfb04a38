// libsolver.so is assembled from the internal layers (platform, language, symbolic,
// engine); this translation unit only anchors the shared library target.
namespace varnel {
extern const char* const kLibraryName;
const char* const kLibraryName = "solver";
} // namespace varnel
