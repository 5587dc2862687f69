#pragma once
// What the system opens files with, in the test world: files of one extension open in
// open_recorder.exe (built beside the tests), which writes the path it was given to a
// record file. The association is made in HKLM\Software\Classes (Wine ignores one in HKCU)
// and removed again.
#include <optional>
#include <string>

namespace e2e {

class RecordingAssociation {
public:
    RecordingAssociation(const std::wstring& extension, const std::wstring& recordFile);
    ~RecordingAssociation();
    RecordingAssociation(const RecordingAssociation&) = delete;
    RecordingAssociation& operator=(const RecordingAssociation&) = delete;

    // The path the recorder was started with, once it was.
    std::optional<std::wstring> Opened() const;

private:
    std::wstring m_extension;
    std::wstring m_class;
    std::wstring m_record;
};

}  // namespace e2e
