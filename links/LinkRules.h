// How the text of a contact's e-mail and home-page boxes becomes the one URL handed to the desktop.
#pragma once

#include <QString>
#include <QUrl>

// A new mail to the box's text taken as it is (blanks kept, empty allowed). The whole text is the
// address: characters such as "?", "&" or quotes are percent-encoded, so nothing in it can add
// headers or split the link.
QUrl contactMailUrl(const QString &address);

struct HomePageLink
{
    enum class Problem {
        None,
        Missing, // nothing but blanks
        NotWeb, // a scheme other than http or https
        Malformed // no usable web address even with "http://" in front
    };
    QUrl url; // valid exactly when problem is None
    Problem problem = Problem::None;
};

// The page with the blanks around it removed; "http://" is put in front only when it names no scheme.
HomePageLink homePageLink(const QString &text);
