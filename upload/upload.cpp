// Script and voice upload.
#include "app/dorive.h"

namespace dorive {

// Transfer step of an upload, run when the unit prompts for data. Uploads are started
// from the service page; until one is under way there is nothing to send.
Task Dorive::SendUploadData() { co_return; }

}  // namespace dorive
