// The two request records: an opener fills one just before it opens a
// binding dialog, which reads it to learn which binding to edit. The
// dialog-creation parameter stays 0, so this is the only channel.
#include "ui/dialogs.h"

KeySelectRequestRecord KeySelectRequest;
FunctionSelectRequestRecord FunctionSelectRequest;
