// A sales letter with every field filled the way a user would fill it:
// paragraph fields with <p> tags, multi-line fields with CR LF, every optional
// item present. Values stay below the project file's line limit, so the record
// survives a save and load unchanged.
#pragma once

#include "salesletter/SalesLetter.h"

#include <string>

namespace testsupport {

inline TSalesLetter SampleLetter(int templateNumber = 1) {
    TSalesLetter l;
    l.SelectTemplate(templateNumber);
    l["FN"] = "Ada Whitcombe";
    l["SW"] = "Victorian home cooking";
    l["WL"] = "English";
    l["WD"] = "Four hundred tested recipes from classic household books,\r\nrestored for the "
              "modern kitchen.";
    l["KP"] = "recipes,cookbook,victorian,baking,preserves,household";
    l["RS"] = "Follow";
    l["TS"] = "General";
    l["CW"] = "Cooking";
    l["PT"] = "The Heirloom Kitchen Collection";
    l["CD"] = "Monday, March 9";
    l["YFN"] = "Ada Whitcombe";
    l["PBC"] = "E9EEF4";
    l["CS"] = "help@heirloomkitchen.example";
    l["HG"] = "/home/ada/pictures/header.jpg";
    l["EC"] = "/home/ada/pictures/ecover.jpg";
    l["Headline"] = "Cook Like Your Great-Grandmother Did -\r\nWith Recipes That Have Fed "
                    "Families For Over 100 Years";
    l["NH"] = "Attention home cooks and bakers!";
    l["Subheadline"] = "Four hundred forgotten recipes, tested and rewritten\r\nfor today's "
                       "kitchens and measures";
    l["IntroLine"] = "Dear Friend,";
    l["FirstParagraph"] = "<p>Do you remember the smell of bread on a Sunday morning? The "
                          "recipes behind it are not lost. They sit in old household books "
                          "that nobody reads any more.</p>";
    l["Problem"] = "<p>I tried to cook from those books myself. The measures were strange, the "
                   "ovens had no dials and half the ingredients had other names.</p>";
    l["IntroHeadline"] = "Introducing The Heirloom Kitchen Collection";
    l["FeatureList"] = "<p>Every recipe was cooked in an ordinary kitchen, rewritten step by "
                       "step and given modern measures.</p>";
    l["Introduction"] = "<p>So I spent two years turning those books into recipes that anyone "
                        "can follow today.</p>";
    l["FeatureSummary"] = "<p>In short: everything your family needs for a year of honest home "
                          "cooking.</p>";
    const char* features[9][2] = {
        {"400 recipes", "breads, pies, roasts, puddings and preserves"},
        {"Modern measures", "cups, grams and oven temperatures for every recipe"},
        {"Seasonal menus", "fifty-two weekly menus that use what is cheap that week"},
        {"Baking basics", "a chapter on yeast, pastry and sponge that ends failed bakes"},
        {"Preserving", "jams, pickles and cordials that keep through the winter"},
        {"Old names explained", "a glossary of forgotten ingredients and what to use now"},
        {"Printable cards", "every recipe on its own card for the kitchen wall"},
        {"Family stories", "the notes and tips the original cooks wrote in the margins"},
        {"Free updates", "new recipes added every season at no extra cost"}};
    for (int n = 1; n <= 9; ++n) {
        l["F" + std::to_string(n)] = features[n - 1][0];
        l["FD" + std::to_string(n)] = features[n - 1][1];
    }
    l["Benefits"] = "<p>Here is what changes in your kitchen from the first week:</p>";
    l["Benefit1"] = "Spend less on food by cooking from scratch";
    l["Benefit2"] = "Bake bread that rises every time";
    l["Benefit3"] = "Fill the pantry with preserves for the winter";
    l["Benefit4"] = "Cook meals your children will ask for again";
    l["Benefit5"] = "Keep a family tradition alive";
    const char* testimonials[5][4] = {
        {"Margaret Hollis", "http://www.margaretbakes.example", "My bread finally rises",
         "I have baked for thirty years and never had a loaf like this."},
        {"Tom Reyes", "http://www.tomcooks.example", "Our grocery bill fell",
         "We cook four nights a week from the menus and spend far less."},
        {"Ellen Park", "http://www.parkfamily.example", "A gift for my daughter",
         "I printed the cards for my daughter's first kitchen."},
        {"Sam O'Neill", "http://www.oneill.example", "The pies are a hit",
         "The pastry chapter alone was worth the price."},
        {"Priya Nair", "http://www.priyanair.example", "Clear and friendly",
         "Every step is explained, even for a beginner like me."}};
    for (int n = 1; n <= 5; ++n) {
        const std::string k = std::to_string(n);
        l["TN" + k] = testimonials[n - 1][0];
        l["TW" + k] = testimonials[n - 1][1];
        l["T" + k] = testimonials[n - 1][2];
        l["TD" + k] = testimonials[n - 1][3];
    }
    l["TBC"] = "FFFBE6";
    l["HowItWorks"] = "<p>Order today and download the collection at once. Open it on any "
                      "computer, tablet or phone, or print the cards.</p>";
    l["PriceReason"] = "<p>A single cookery class costs more than this whole collection. I "
                       "kept the price low because these recipes belong in every home.</p>";
    l["Receive"] = "<p>The complete collection, the printable cards, the menus and every "
                   "future update.</p>";
    l["IntroBonus"] = "Order Today And Receive These Three Free Bonuses";
    const char* bonuses[5][2] = {{"$19", "The Sourdough Starter Guide"},
                                 {"$15", "Fifty Old-Fashioned Sweets"},
                                 {"$12", "The Thrifty Pantry Planner"},
                                 {"$9", "Bonus four"},
                                 {"$7", "Bonus five"}};
    for (int n = 1; n <= 5; ++n) {
        l["FG" + std::to_string(n)] = bonuses[n - 1][0];
        l["FGD" + std::to_string(n)] = bonuses[n - 1][1];
    }
    l["MBG"] = "My 60-Day Full Money Back Guarantee";
    l["YG"] = "<p>Cook from the collection for sixty days. If it does not earn its place in "
              "your kitchen, write to me and you get every cent back.</p>";
    l["MBC"] = "EEF8EC";
    l["Closing"] = "<p>The recipes waited a hundred years. Your family does not have to wait "
                   "any longer.</p>";
    l["ClosingS"] = "Warm regards,";
    l["PS"] = "<p>Remember the three free bonuses are only included while this page is "
              "online.</p>";
    l["N"] = "Ada";
    l["LN"] = "Whitcombe";
    l["BN"] = "Heirloom Kitchen Press";
    l["EEA"] = "recipes@heirloomkitchen.example";
    l["ES"] = "Subscribe";
    l["ED"] = "One forgotten recipe every week.\r\nTested in a home kitchen.\r\nFree, and you "
              "can leave any time.";
    l["PopT"] = "The Sunday Recipe Letter";
    l["Link"] = "http://www.heirloomkitchen.example/order";
    l["OH"] = "I want The Heirloom Kitchen Collection today!";
    l["OR1"] = "I get all 400 tested recipes at once";
    l["OR2"] = "I get the printable cards and weekly menus";
    l["OR3"] = "I get three bonuses free";
    l["OR4"] = "I get every future update at no cost";
    l["OR5"] = "I am covered by the 60-day guarantee";
    l["OLBC"] = "FFF4D6";
    l["AffiliateID"] = "adawhit";
    return l;
}

} // namespace testsupport
