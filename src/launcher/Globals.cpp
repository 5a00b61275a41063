// The launcher's process-wide objects, in one translation unit so that their order is fixed:
// the shared block is constructed first, and the redirection manager, constructed second, is
// destroyed first at exit (standard streams restored before the block is freed).
#include "launcher/SharedBlock.h"
#include "redirect/StdRedir.h"

CSharedBlock sharedBlock;
CStdRedir stdRedir;
