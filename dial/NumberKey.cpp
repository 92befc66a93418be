#include "dial/NumberKey.h"

#include <phonenumbers/phonenumberutil.h>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

constexpr char DefaultRegion[] = "IT";
constexpr char ExtensionMark[] = ";ext=";

bool parseValid(const std::string &text, PhoneNumber *number)
{
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    return util.Parse(text, DefaultRegion, number) == PhoneNumberUtil::NO_PARSING_ERROR
        && util.IsValidNumber(*number);
}

} // namespace

std::string digitsOf(QByteArrayView utf8)
{
    std::string digits;
    for (const char c : utf8) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

std::string numberKey(QByteArrayView utf8)
{
    std::string digits = digitsOf(utf8);
    if (digits.empty())
        return {};
    PhoneNumber number;
    if (!parseValid(std::string(utf8.data(), size_t(utf8.size())), &number))
        return digits;
    std::string key;
    PhoneNumberUtil::GetInstance()->Format(number, PhoneNumberUtil::E164, &key);
    if (number.has_extension() && !number.extension().empty())
        key += ExtensionMark + number.extension();
    return key;
}

QString readableNumberKey(const std::string &key)
{
    if (!isE164Key(key))
        return QString::fromStdString(key);
    PhoneNumber number;
    if (!parseValid(key.substr(0, key.find(';')), &number))
        return QString::fromStdString(key);
    std::string readable;
    PhoneNumberUtil::GetInstance()->Format(number, PhoneNumberUtil::INTERNATIONAL, &readable);
    if (const size_t mark = key.find(ExtensionMark); mark != std::string::npos)
        readable += " int. " + key.substr(mark + sizeof(ExtensionMark) - 1);
    return QString::fromStdString(readable);
}
