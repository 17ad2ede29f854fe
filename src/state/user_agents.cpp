#include "state/user_agents.h"

namespace qm {

const std::array<UserAgentPreset, 14> kUserAgentPresets = {{
    {"PC Google Chrome 74", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, "
                            "like Gecko) Chrome/74.0.3729.131 Safari/537.36"},
    {"PC Mozilla Firefox 66",
     "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:66.0) Gecko/20100101 Firefox/66.0"},
    {"PC Edge 44", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
                   "Gecko) Chrome/64.0.3282.140 Safari/537.36 Edge/18.17763"},
    {"PC IE 7 Embedded", "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.2; WOW64; Trident/7.0; "
                         ".NET4.0C; .NET4.0E; Tablet PC 2.0)"},
    {"PC IE 10", "Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 6.1; WOW64; Trident/6.0)"},
    {"PC IE 11", "Mozilla/5.0 (Windows NT 10.0; WOW64; Trident/7.0; Touch; rv:11.0) like Gecko"},
    {"Android Chrome 73.0", "Mozilla/5.0 (Linux; Android 7.0; FS522) AppleWebKit/537.36 (KHTML, "
                            "like Gecko) Chrome/73.0.3683.90 Mobile Safari/537.36"},
    {"Android Opera 51.1", "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                           "Chrome/72.0.3626.121 Safari/537.36 OPR/51.1.2461.137501"},
    {"Android Opera Mini 39.1",
     "Opera/9.80 (Android; Opera Mini/39.1.2254/139.90; U; ru) Presto/2.12.423 Version/12.16"},
    {"Android Edge 42.0", "Mozilla/5.0 (Linux; Android 7.0; FS522) AppleWebKit/537.36 (KHTML, like "
                          "Gecko) Chrome/71.0.3578.99 Mobile Safari/537.36 EdgA/42.0.92.3363"},
    {"Google Bot", "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"},
    {"Bing Bot", "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)"},
    {"Yandex Bot", "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)"},
    {"MailRU Bot",
     "Mozilla/5.0 (compatible; Linux x86_64; Mail.RU_Bot/2.0; +http://go.mail.ru/help/robots)"},
}};

} // namespace qm
