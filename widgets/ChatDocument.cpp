#include "widgets/ChatDocument.h"

namespace Lumora {

ChatDocument::ChatDocument()
{
    faces.Add("宋体");
    faces.Add("黑体");
    faces.Add("幼圆");
}

} // namespace Lumora
