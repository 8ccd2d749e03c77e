// The published page's side of the compiler: each value written for the spot
// it lands in, the record as the page shows it, and the page's own parts
// (language, year, pictures, icon, credit).
#pragma once

#include "Compiler.h"
#include "SalesLetter.h"

#include <string>

// Fills every occurrence of the field's placeholder (compared without regard
// to case) with `value` written for its spot: entities in an attribute and
// the title, an encoded web address in href/src (a field meant to hold an
// address gives no link when it holds none), typed line breaks of the list
// fields as <br> in element content. Inserted values are not searched again.
void FillForSpot(std::string& text, const FieldInfo& field, const std::string& value);

// The record as the published page shows it: colours that are no colour get
// the field's default, an empty title and description come from the
// headlines, blanks around web addresses go.
TSalesLetter PublishedLetter(const TSalesLetter& letter);

// {@langcode@}, {@year@}, {@headerimage@}, {@ecoverimage@}, {@icon@} and
// {@credit@} (the "Created by" line, only with an affiliate ID and a site
// address).
void FillPageExtras(std::string& text, const TSalesLetter& letter, const PageContext& context);
