// The hand-over to the viewer of another year, for dates outside the
// viewer's own year.
#pragma once

void HandOverToOtherYear();
