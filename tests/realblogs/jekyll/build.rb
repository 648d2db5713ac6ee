# Builds the Jekyll site in SOURCE into DESTINATION and prints, as JSON, what
# Jekyll itself holds: each post's URL, title, date in Japan time and categories,
# and each category page of jekyll-archives.
#   ruby build.rb SOURCE DESTINATION
require "jekyll"
require "json"

source, destination = ARGV
config = Jekyll.configuration("source" => source, "destination" => destination, "quiet" => true)
site = Jekyll::Site.new(config)
site.process
base = site.config["url"] + site.config["baseurl"].to_s

entries = site.posts.docs.reverse.map do |post|
  {
    "slug" => post.data["slug"],
    "url" => base + post.url,
    "title" => post.data["title"],
    "date" => post.date.getlocal("+09:00").strftime("%Y-%m-%d %H:%M"),
    "categories" => post.data["categories"],
  }
end
categories = site.pages.select { |page| page.is_a?(Jekyll::Archives::Archive) && page.type == "category" }
                       .map { |page| { "name" => page.title, "url" => base + page.url } }
puts JSON.generate({ "entries" => entries, "categories" => categories })
