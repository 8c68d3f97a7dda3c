/* Finding a resource in the program's tables by its number, as the resource
 * loader of Windows finds one in the program's file.
 */
#include "platform/resources.h"

const DialogTemplateData *findDialogTemplate(int id) {
  for (int i = 0; i < DialogTemplateCount; ++i) {
    if (DialogTemplateTable[i].id == id) return &DialogTemplateTable[i];
  }
  return nullptr;
}

const IconResource *findIcon(int id) {
  for (int i = 0; i < IconCount; ++i) {
    if (IconTable[i].id == id) return &IconTable[i];
  }
  return nullptr;
}

const char *findAccessibleName(int dialogId, int controlId) {
  for (int i = 0; i < AccessibleNameCount; ++i) {
    const AccessibleNameEntry &entry = AccessibleNameTable[i];
    if (entry.dialogId == dialogId && entry.controlId == controlId) return entry.name;
  }
  return nullptr;
}
