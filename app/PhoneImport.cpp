#include "app/Phone.h"

void Phone::FileImporta_Click()
{
}
