#include "app/Phone.h"

void Phone::BtnChiama_Click()
{
}

void Phone::FileChiama_Click()
{
}
