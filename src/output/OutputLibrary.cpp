// The output library: file naming, the encoders and the save flow live in this folder.
namespace quillum {
// Keeps the library non-empty until its first operation lands.
int outputLibraryVersion()
{
    return 1;
}
} // namespace quillum
