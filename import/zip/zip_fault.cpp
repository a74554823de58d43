#include "import/zip/zip_fault.h"

namespace survey {

RuntimeError zip_fault(const std::string& zip_path, std::string sentence)
{
    return RuntimeError::for_file(ErrorKind::InvalidFileFormat, zip_path).with_detail(std::move(sentence));
}

RuntimeError damaged_zip(const std::string& zip_path)
{
    return zip_fault(zip_path, "This ZIP file is cut off or damaged, so the files in it cannot be listed: copy it "
                               "again from where it came from, or share the track again from the phone, and choose "
                               "the new ZIP.");
}

}  // namespace survey
