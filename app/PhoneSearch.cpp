#include "app/Phone.h"

void Phone::BtnCerca_Click()
{
}
