// The Windows side of the durable write: a temporary file made with
// CreateFileW (CREATE_NEW), FlushFileBuffers, and MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH.
//
// MoveFileExW, not ReplaceFileW: the rename is one step, which NTFS journals,
// so after a power cut the name holds either the old file or the new one,
// and with write-through the call returns only once the rename is on the
// disk. ReplaceFileW takes several steps, some of whose failures leave the
// name without its file, and has no write-through. What ReplaceFileW would
// carry over and MoveFileExW does not: the old file's attributes, which the
// temporary file is made with instead, and an access control list set on
// the file itself; the new file has the folder's inherited one, as every
// journal a station makes does.

#include "DurableFile.h"

#include "DurableFilePlatform.h"
#include "FileError.h"
#include "FileHandle.h"

#include <QFileInfo>

#include <windows.h>

namespace DurableFile {

namespace {

// Attributes an old file passes on to the new one (CreateFileW takes these).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

void WriteAll(HANDLE File, QByteArrayView Bytes)
{
    const char *p = Bytes.data();
    qsizetype left = Bytes.size();
    while (left > 0) {
        const DWORD piece = DWORD(std::min<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(File, p, piece, &written, nullptr))
            throw EFileError::Last();
        if (written == 0)
            throw EFileError(ERROR_DISK_FULL);
        p += written;
        left -= written;
    }
}

// A device or a pipe has no data of its own to flush.
void Flush(HANDLE File, bool Regular)
{
    if (!::FlushFileBuffers(File) && Regular)
        throw EFileError::Last();
}

HANDLE OpenForWriting(const std::wstring &Path, DWORD Access)
{
    return ::CreateFileW(Path.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes the existing file over. The whole content is known before the file
// is touched; what it adds to the file must fit on the disk and is reserved
// first, so that a full disk refuses the write while the old content is
// still there.
void WriteInPlace(const QString &TargetName, const TProduce &Produce, bool Regular)
{
    const QByteArray content = Collect(Produce);
    // Others may read it meanwhile, as they could before.
    TFileHandle file(::CreateFileW(Win32Path(TargetName).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        throw EFileError::Last();
    if (Regular) {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.Get(), &size))
            throw EFileError::Last();
        if (content.size() > size.QuadPart) {
            const std::wstring folder = Win32Path(QFileInfo(TargetName).absolutePath()) + L'\\';
            ULARGE_INTEGER available{}; // within the user's quota
            if (::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
                available.QuadPart < quint64(content.size() - size.QuadPart))
                throw EFileError(ERROR_DISK_FULL);
            FILE_ALLOCATION_INFO allocation{};
            allocation.AllocationSize.QuadPart = content.size();
            if (!::SetFileInformationByHandle(file.Get(), FileAllocationInfo, &allocation, sizeof allocation)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
                    error != ERROR_INVALID_FUNCTION && error != ERROR_CALL_NOT_IMPLEMENTED)
                    throw EFileError(int(error));
            }
        }
    }
    WriteAll(file.Get(), content);
    if (Regular) {
        LARGE_INTEGER end{};
        end.QuadPart = content.size();
        if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get()))
            throw EFileError::Last();
    }
    Flush(file.Get(), Regular);
    file.Close();
}

} // namespace

// NTFS journals its metadata, and FlushFileBuffers on a file commits that
// journal up to the file's own changes, its new name among them; a rename
// goes through MOVEFILE_WRITE_THROUGH. A folder handle has nothing more to
// flush (and FlushFileBuffers refuses one without administrator rights).
void SyncFolder(const QString &) {}

bool NameFits(const QString &Folder, const QString &Name)
{
    // NTFS, FAT32 and exFAT all allow 255 UTF-16 characters; the volume says
    // what it allows where it can.
    DWORD limit = 255;
    wchar_t root[MAX_PATH + 1];
    DWORD volumeLimit = 0;
    if (::GetVolumePathNameW(Win32Path(Folder).c_str(), root, DWORD(std::size(root))) &&
        ::GetVolumeInformationW(root, nullptr, 0, nullptr, &volumeLimit, nullptr, nullptr, 0) && volumeLimit > 0)
        limit = volumeLimit;
    return quint64(Name.size()) <= limit;
}

TWritten WriteFile(const QString &FileName, const TProduce &Produce, const TOptions &Options)
{
    // A link stays a link: the file it names is written.
    QString targetName = FileName;
    const QFileInfo link(FileName);
    if (link.isSymbolicLink() && link.exists())
        targetName = link.canonicalFilePath();
    const std::wstring target = Win32Path(targetName);

    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    bool existed = true;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const int error = SystemError::Last();
        if (SystemError::IsMissing(error))
            existed = false;
        // Anything else is for opening the file to tell (a device name has
        // no attributes to give).
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw EFileError(SystemError::IsAFolder());
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        // A file the user may not change is not replaced behind its back.
        throw EFileError(ERROR_FILE_READ_ONLY);
    }

    if (existed) {
        // Whether the user may change the file, and also replace it (the
        // rename over it needs the right to delete it). A program that has it
        // open without letting others write (Excel) stops the write here,
        // before anything is made.
        TFileHandle probe(OpenForWriting(target, GENERIC_WRITE | DELETE));
        if (!probe.IsOpen() && ::GetLastError() == ERROR_ACCESS_DENIED) {
            TFileHandle writable(OpenForWriting(target, GENERIC_WRITE));
            if (!writable.IsOpen())
                throw EFileError::Last();
            // A device or a pipe cannot be replaced, only written to.
            const bool regular = ::GetFileType(writable.Get()) == FILE_TYPE_DISK;
            writable.Abandon();
            WriteInPlace(targetName, Produce, regular);
            return TWritten::InPlace;
        }
        if (!probe.IsOpen())
            throw EFileError::Last();
        if (::GetFileType(probe.Get()) != FILE_TYPE_DISK) {
            probe.Abandon();
            WriteInPlace(targetName, Produce, false);
            return TWritten::InPlace;
        }
    }

    const QString tempName = TempFileName(targetName);
    const std::wstring temp = Win32Path(tempName);
    // What a write killed before its rename left behind.
    ::DeleteFileW(temp.c_str());
    int error = Options.RefuseTemp ? Options.RefuseTemp(tempName) : 0;
    HANDLE created = INVALID_HANDLE_VALUE;
    if (error == 0) {
        const DWORD kept =
            existed && (attributes & kKeptAttributes) ? (attributes & kKeptAttributes) : FILE_ATTRIBUTE_NORMAL;
        // Nobody else opens it while it is being made.
        created = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
        if (created == INVALID_HANDLE_VALUE)
            error = SystemError::Last();
    }
    if (error != 0) {
        // No right to create files in the folder, but perhaps to change this
        // one. (A leftover that could not be removed is refused the same way.)
        if (existed && (error == ERROR_ACCESS_DENIED || error == ERROR_FILE_EXISTS)) {
            WriteInPlace(targetName, Produce, true);
            return TWritten::InPlace;
        }
        throw EFileError(error);
    }

    TFileHandle file(created);
    try {
        Produce([&file](QByteArrayView piece) { WriteAll(file.Get(), piece); });
        Flush(file.Get(), true);
        file.Close();
        if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw EFileError::Last();
    } catch (...) {
        file.Abandon();
        ::DeleteFileW(temp.c_str());
        throw;
    }
    return TWritten::Replaced;
}

} // namespace DurableFile
